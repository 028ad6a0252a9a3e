// The viewer's bookmark requests on real evidence: each open file edits its own working list,
// saves reach only the changed files, and the release question writes or leaves them exactly.
#include "bookmarks/BookmarkPrintLayout.h"
#include "bookmarks/BookmarkWorkingLists.h"
#include "bookmarks/CAddEditBookmarksDlg.h"
#include "bookmarks/CBookmarkCollector.h"
#include "bookmarks/CBookmarkListCtrl.h"
#include "events/CCoordinatorPlomeraView.h"
#include "events/ViewerMessageDispatch.h"
#include "evidence/FileTag.h"
#include "navigator/CVideoFileSelector.h"
#include "tools/sample/SampleMaker.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/CViewer.h"
#include "viewer/CViewerGridLayout.h"
#include "viewer/IViewerHost.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QBuffer>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QMenu>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct BookmarkHost : IViewerHost {
    CVideoFileSelector navigator;
    CBookmarkCollector pane;
    bool modified = false;
    void ShowBookmarks(const BookmarkList* bookmarks) override { pane.ShowBookmarks(bookmarks); }
    CVideoFileSelector* Navigator() override { return &navigator; }
    QWidget* NavigatorPane() override { return &navigator; }
    void SetStatusPane1(const QString&) override {}
    void SetFullScreenMode(bool) override {}
    IPlomeraViewEvents* ViewEvents() override { return nullptr; }
    QString HostTempFolder() override { return {}; }
    void SetBookmarksModified(bool on) override { modified = on; }
};

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

BookmarkList TagList(const QString& path)
{
    FileTag tag;
    EXPECT_TRUE(tag.LoadFromFile(path));
    return tag.Bookmarks();
}

class ViewerBookmarksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        SampleEvidenceOptions o;
        o.durationSeconds = 8;
        o.width = 320;
        o.height = 180;
        o.fps = 25;
        o.gop = 25;
        o.bitRate = 4000000;  // past the 2 MiB floor
        o.cameras = 2;
        o.bookmarks = 2;
        files = SampleMaker::Make(folder.filePath("export"), o);
        ASSERT_EQ(files.size(), 2);
        viewer = std::make_unique<CViewer>();
        viewer->SetHost(&host);
        viewer->resize(1000, 700);
        viewer->show();
        viewer->SetMessageBoxFunction([this](const QString& text, const QString& caption,
                                             QMessageBox::StandardButtons, QMessageBox::Icon icon) {
            asked.push_back(caption + QLatin1Char('|') + text + QLatin1Char('|') + QString::number(icon));
            return answer;
        });
        viewer->SetBookmarkDialogFunction([this](const QString& caption, const QString&, qint64 time,
                                                 const QString&) -> std::optional<CViewer::BookmarkTexts> {
            dialogs.push_back({caption, time});
            return typed;
        });
        for (const QString& f : files) {
            SendViewerMessage<ViewerMessages::OpenLocalFile>(viewer.get(), f);
        }
        ASSERT_EQ(viewer->Players().size(), 2u);
    }
    void TearDown() override
    {
        QFile::setPermissions(files.value(0), QFile::ReadOwner | QFile::WriteOwner);
        viewer.reset();
    }

    Video* CameraOf(int file) const
    {
        for (CVideoPlayer* p : viewer->Players()) {
            if (p->GetVideo()->GetVideoFile()->path == files[file]) {
                return p->GetVideo();
            }
        }
        return nullptr;
    }
    void Select(int file) { SendViewerMessage<ViewerMessages::SelectVideoPlayer>(viewer.get(), CameraOf(file)); }
    BookmarkList* ListOf(int file) { return viewer->Bookmarks().ListOf(files[file]); }

    QTemporaryDir folder;
    QStringList files;
    BookmarkHost host;
    std::unique_ptr<CViewer> viewer;
    std::vector<QString> asked;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    struct Shown {
        QString caption;
        qint64 time;
    };
    std::vector<Shown> dialogs;
    std::optional<CViewer::BookmarkTexts> typed;
};

const QString kQuestion = QStringLiteral("Save Bookmarks|Bookmarks not saved.\nDo you want to Save them ?|%1")
                              .arg(static_cast<int>(QMessageBox::Information));

} // namespace

// A's bookmark edited while B's camera is selected and saved: A holds exactly its working list,
// B keeps every byte. Close changes nothing, and undo back to the save asks no question.
TEST_F(ViewerBookmarksTest, EditsReachTheirOwnFileAndUndoReturnsToTheSave)
{
    const QByteArray bBefore = Bytes(files[1]);
    Select(0);
    BookmarkList* listA = ListOf(0);
    ASSERT_NE(listA, nullptr);
    ASSERT_EQ(listA->size(), 2u);
    const qint64 between = ((*listA)[0]->GetTime() + (*listA)[1]->GetTime()) / 2;

    typed = std::nullopt;  // "Close"
    SendViewerMessage<ViewerMessages::AddBookmark>(viewer.get(), std::optional<qint64>(between));
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].caption, QStringLiteral("Add Bookmark"));
    EXPECT_EQ(dialogs[0].time, between);
    EXPECT_EQ(listA->size(), 2u);
    EXPECT_FALSE(host.modified);
    EXPECT_FALSE(viewer->PackageRewrite());

    typed = CViewer::BookmarkTexts{QStringLiteral("Van"), QStringLiteral("white van, plate hidden")};
    SendViewerMessage<ViewerMessages::AddBookmark>(viewer.get(), std::optional<qint64>(between));
    ASSERT_EQ(listA->size(), 3u);
    EXPECT_EQ((*listA)[1]->GetName(), QStringLiteral("Van"));
    EXPECT_TRUE(host.modified);
    EXPECT_TRUE(viewer->PackageRewrite());

    Select(1);
    typed = CViewer::BookmarkTexts{QStringLiteral("Door opens"), QStringLiteral("first")};
    SendViewerMessage<ViewerMessages::EditBookmark>(viewer.get(), (*listA)[0].get());
    EXPECT_EQ(dialogs.back().caption, QStringLiteral("Bookmark Details"));
    SendViewerMessage<ViewerMessages::SaveBookmarks>(viewer.get());
    EXPECT_FALSE(host.modified);
    EXPECT_TRUE(asked.empty());
    const BookmarkList back = TagList(files[0]);
    ASSERT_EQ(back.size(), 3u);
    for (size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i]->Bytes(), (*listA)[i]->Bytes()) << i;
    }
    EXPECT_EQ(back[0]->GetName(), QStringLiteral("Door opens"));
    EXPECT_EQ(Bytes(files[1]), bBefore);

    // Copy of two: the pane's clipboard text.
    BookmarkList two{(*listA)[0], (*listA)[1]};
    SendViewerMessage<ViewerMessages::CopyBookmarksToClipboard>(viewer.get(), &two);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              BookmarkWorkingLists::CopyText({(*listA)[0].get(), (*listA)[1].get()}));

    SendViewerMessage<ViewerMessages::DeleteBookmark>(viewer.get(), (*listA)[1].get());
    EXPECT_EQ(listA->size(), 2u);
    EXPECT_TRUE(host.modified);
    EXPECT_TRUE(viewer->UndoBookmarkChange());
    EXPECT_EQ(listA->size(), 3u);
    EXPECT_FALSE(host.modified);
    EXPECT_FALSE(viewer->UndoBookmarkChange());
    const QByteArray aSaved = Bytes(files[0]);
    SendViewerMessage<ViewerMessages::CloseAllVideoPlayers>(viewer.get());
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(Bytes(files[0]), aSaved);
}

// The release question: No writes nothing; Yes writes only the changed file's list, also when the
// window closes with no tile left.
TEST_F(ViewerBookmarksTest, ReleaseAsksAndNoLeavesTheFileByteIdentical)
{
    const QByteArray aBefore = Bytes(files[0]);
    Select(0);
    SendViewerMessage<ViewerMessages::DeleteBookmark>(viewer.get(), ListOf(0)->front().get());
    Select(1);
    SendViewerMessage<ViewerMessages::DeleteBookmark>(viewer.get(), ListOf(1)->front().get());
    EXPECT_TRUE(host.modified);

    answer = QMessageBox::No;
    SendViewerMessage<ViewerMessages::ReleaseVideoFile>(viewer.get(), files[0]);
    ASSERT_EQ(asked, std::vector<QString>{kQuestion});
    EXPECT_EQ(Bytes(files[0]), aBefore);
    EXPECT_EQ(ListOf(0), nullptr);
    EXPECT_TRUE(host.modified);  // B still holds its change

    // Closing the last tile releases nothing; closing the window then asks for B.
    answer = QMessageBox::Yes;
    SendViewerMessage<ViewerMessages::CloseVideoPlayer>(viewer.get(), CameraOf(1));
    EXPECT_EQ(asked.size(), 1u);
    SendViewerMessage<ViewerMessages::CloseAllVideoPlayersRequest>(viewer.get());
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(TagList(files[1]).size(), 1u);
    EXPECT_FALSE(host.modified);
}

// Write-protected evidence: the refusal's text in a box, still unsaved, not a byte changed; the
// release asks again and fails the same way.
TEST_F(ViewerBookmarksTest, WriteProtectedFileStaysUnsavedAndByteIdentical)
{
    Select(0);
    typed = CViewer::BookmarkTexts{QStringLiteral("Mark"), QString()};
    SendViewerMessage<ViewerMessages::AddBookmark>(viewer.get(), std::optional<qint64>());
    ASSERT_EQ(ListOf(0)->size(), 3u);
    const QByteArray before = Bytes(files[0]);
    ASSERT_TRUE(QFile::setPermissions(files[0], QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const QString refusal = QStringLiteral("|The file is write-protected: %1|%2")
                                .arg(files[0])
                                .arg(static_cast<int>(QMessageBox::NoIcon));

    SendViewerMessage<ViewerMessages::SaveBookmarks>(viewer.get());
    ASSERT_EQ(asked, std::vector<QString>{refusal});
    EXPECT_TRUE(host.modified);
    EXPECT_EQ(Bytes(files[0]), before);

    answer = QMessageBox::Yes;
    SendViewerMessage<ViewerMessages::CloseAllVideoPlayers>(viewer.get());
    EXPECT_EQ(asked, (std::vector<QString>{refusal, kQuestion, refusal}));
    EXPECT_TRUE(host.modified);
    EXPECT_EQ(Bytes(files[0]), before);
}

// The pane's keys through the real coordinator: the menu by selection count, Delete takes exactly
// the chosen one of two same-named bookmarks, F2 edits, Ctrl+C copies, Enter seeks.
TEST_F(ViewerBookmarksTest, PaneKeysActOnExactlyTheChosenRows)
{
    CCoordinatorPlomeraView coordinator(viewer.get());
    host.pane.SetEvents([&]() -> IPlomeraViewEvents* { return &coordinator; });
    Select(0);
    CBookmarkListCtrl* list = host.pane.List();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    typed = CViewer::BookmarkTexts{QStringLiteral("Same"), QString()};
    for (const auto& record : *ListOf(0)) {
        SendViewerMessage<ViewerMessages::EditBookmark>(viewer.get(), record.get());
    }
    EXPECT_EQ(list->topLevelItem(1)->text(0), QStringLiteral("Same"));

    const auto menuOf = [&] {
        std::unique_ptr<QMenu> menu(host.pane.MakeMenu(nullptr));
        QStringList items{menu->objectName()};
        for (QAction* a : menu->actions()) items << a->text();
        return items;
    };
    list->clearSelection();
    EXPECT_EQ(menuOf(), QStringList({"367", "Copy All Bookmarks", "Print All Bookmarks", "Delete All Bookmarks"}));
    list->topLevelItem(0)->setSelected(true);
    EXPECT_EQ(menuOf(), QStringList({"365", "Details"}));
    list->topLevelItem(1)->setSelected(true);
    EXPECT_EQ(menuOf(),
              QStringList({"101", "Delete Bookmarks", "Copy Bookmarks to Clipboard", "Print Bookmarks"}));

    const BookmarkRecord* first = ListOf(0)->front().get();
    list->setCurrentItem(list->topLevelItem(1));
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_EQ(ListOf(0)->size(), 1u);
    EXPECT_EQ(ListOf(0)->front().get(), first);
    ASSERT_EQ(list->topLevelItemCount(), 1);

    list->setCurrentItem(list->topLevelItem(0));
    typed = CViewer::BookmarkTexts{QStringLiteral("Gate"), QStringLiteral("left open")};
    QTest::keyClick(list, Qt::Key_F2);
    EXPECT_EQ(first->GetName(), QStringLiteral("Gate"));
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("Gate"));
    EXPECT_EQ(list->topLevelItem(0)->toolTip(0), QStringLiteral("left open"));

    list->setCurrentItem(list->topLevelItem(0));
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), BookmarkWorkingLists::CopyText({first}));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(viewer->CurrentPosition(), first->GetTime());
}

// Typed one character at a time, whatever the character (the test keyboard knows ASCII only).
static void Type(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

// Only what a record can hold can be typed; Ctrl+Enter is OK from the notes, Esc is Close.
TEST(BookmarkDialog, TakesOnlyStorableTextAndAnswersToKeys)
{
    EXPECT_EQ(CAddEditBookmarksDlg::Storable(QString::fromUtf8("T\u00fcr\n\u20ac\u03a9x"), 16, false),
              QString::fromUtf8("T\u00fcr\u20acx"));
    EXPECT_EQ(CAddEditBookmarksDlg::Storable(QString(300, QLatin1Char('a')), 255, true).size(), 255);

    CAddEditBookmarksDlg dialog(QStringLiteral("Add Bookmark"), QString(), 1'465'997'405, QString());
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("7026"));
    auto* notes = dialog.findChild<QPlainTextEdit*>(QStringLiteral("7025"));
    ASSERT_TRUE(name && notes);
    EXPECT_EQ(QApplication::focusWidget(), name);
    Type(name, QString::fromUtf8("Gate \u03a9 12345678901234"));
    EXPECT_EQ(dialog.Name(), QStringLiteral("Gate  1234567890"));
    notes->setFocus();
    Type(notes, QString::fromUtf8("a\u03a9b"));
    EXPECT_EQ(dialog.Notes(), QStringLiteral("ab"));
    QTest::keyClick(notes, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    CAddEditBookmarksDlg closed(QStringLiteral("Bookmark Details"), QStringLiteral("x"), 0, QString());
    closed.show();
    QTest::keyClick(&closed, Qt::Key_Escape);
    EXPECT_EQ(closed.result(), QDialog::Rejected);
}

// The text of a PDF as pdftotext reads it, pages ended by form feeds.
static QString PdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(30000));
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Printing through the pane and the time scale's single bookmark: 60 names with "&" all reach
// paper as written, on several pages; the selection prints only itself; cancel prints nothing.
TEST_F(ViewerBookmarksTest, PrintPutsEveryBookmarkOnPaperAsWrittenAcrossPages)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed: scripts/install-deps installs it";
    }
    CCoordinatorPlomeraView coordinator(viewer.get());
    host.pane.SetEvents([&]() -> IPlomeraViewEvents* { return &coordinator; });
    Select(0);
    const qint64 start = ListOf(0)->front()->GetTime();
    viewer->Bookmarks().Delete({ListOf(0)->at(0).get(), ListOf(0)->at(1).get()});
    QStringList names;
    for (int i = 0; i < 60; ++i) {
        names << QStringLiteral("R&D && Co %1").arg(i);
        viewer->Bookmarks().Add(files[0], names.back(), start + i, QStringLiteral("Tom & Jerry"));
    }
    Select(0);
    CBookmarkListCtrl* list = host.pane.List();
    ASSERT_EQ(list->topLevelItemCount(), 60);

    int dialogs = 0;
    QString output;
    bool confirm = true;
    viewer->SetPrintDialogFunction([&](QPrinter& printer) {
        ++dialogs;
        EXPECT_EQ(printer.docName(), QStringLiteral("Bookmarks.pdf"));
        EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
        EXPECT_TRUE(printer.outputFileName().endsWith(QStringLiteral("/Bookmarks.pdf")));
        printer.setOutputFileName(output);
        return confirm;
    });

    output = folder.filePath("all.pdf");
    list->clearSelection();
    QTest::keyClick(list, Qt::Key_P, Qt::ControlModifier);
    ASSERT_EQ(dialogs, 1);
    const QString all = PdfText(output);
    for (const QString& name : names) {
        EXPECT_TRUE(all.contains(QStringLiteral("Bookmark Name: ") + name + QLatin1Char('\n'))) << name.toStdString();
    }
    EXPECT_EQ(all.count(QStringLiteral("Bookmark Notes: Tom & Jerry")), 60);
    EXPECT_GE(all.count(QLatin1Char('\f')), 3) << "pages";

    output = folder.filePath("two.pdf");
    list->topLevelItem(7)->setSelected(true);
    list->topLevelItem(59)->setSelected(true);
    QTest::keyClick(list, Qt::Key_P, Qt::ControlModifier);
    const QString two = PdfText(output);
    EXPECT_EQ(two.count(QStringLiteral("Bookmark Name: ")), 2);
    EXPECT_TRUE(two.contains(names[7]) && two.contains(names[59]));
    EXPECT_EQ(two.count(QLatin1Char('\f')), 1);

    output = folder.filePath("one.pdf");
    SendViewerMessage<ViewerMessages::PrintBookmark>(viewer.get(), ListOf(0)->at(3).get());
    EXPECT_EQ(PdfText(output).count(QStringLiteral("Bookmark Name: R&D && Co 3\n")), 1);

    output = folder.filePath("cancelled.pdf");
    confirm = false;
    SendViewerMessage<ViewerMessages::PrintBookmarks>(viewer.get(), ListOf(0));
    EXPECT_EQ(dialogs, 4);
    EXPECT_FALSE(QFile::exists(output));
    EXPECT_TRUE(asked.empty());
}

// The page layout without a window: nothing is dropped (the lines of every page, joined, give the
// text back), each line fits the rectangle's width and each page its height, a bookmark is not
// split across pages, and "&" stays text.
TEST(BookmarkPrint, LayoutKeepsEveryCharacterAndRunsOnToFurtherPages)
{
    QBuffer pdf;
    QPdfWriter writer(&pdf);
    writer.setResolution(600);
    const QFont font(QFont(), &writer);
    const QFontMetricsF metrics(font, &writer);
    const QRect rect = BookmarkPrintLayout::TextRect(writer);
    EXPECT_EQ(rect, QRect(100, 100, 2900, 2900));

    const QString word(300, QLatin1Char('x'));
    const QString longNotes = QStringLiteral("seen at the gate ") + word + QStringLiteral(" then & left");
    QString many;
    for (int i = 0; i < 40; ++i) {
        // Bookmarks of differing lengths, so that some would straddle a page's end.
        many += QStringLiteral("Bookmark Name: A&B %1\r\n").arg(i) +
                QStringLiteral("Bookmark Notes: && &\r\n").repeated(1 + i % 3) + QStringLiteral("\r\n");
    }
    const struct {
        const char* name;
        QString text;
        QStringList lines;  // after joining the pages; the text's own line ends gone
        size_t minPages;
    } cases[] = {
        {"ampersands", QStringLiteral("Bookmark Name: &Gate && A&\r\n"), {QStringLiteral("Bookmark Name: &Gate && A&")}, 1},
        {"empty", QString(), {QString()}, 1},
        {"long notes", longNotes, {longNotes}, 1},
        {"many", many, many.chopped(2).split(QStringLiteral("\r\n")), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<QStringList> pages = BookmarkPrintLayout::Pages(c.text, font, writer);
        EXPECT_GE(pages.size(), c.minPages);
        QStringList drawn;
        for (const QStringList& page : pages) {
            qsizetype inked = page.size();
            while (inked > 1 && page[inked - 1].isEmpty()) --inked;
            EXPECT_LE(rect.top() + (inked - 1) * metrics.lineSpacing() + metrics.height(), rect.bottom() + 1);
            // A bookmark is never split: every page but the first begins with one.
            if (&page != &pages.front()) {
                EXPECT_TRUE(page.front().startsWith(QStringLiteral("Bookmark Name"))) << page.front().toStdString();
            }
            for (const QString& line : page) {
                EXPECT_LE(metrics.horizontalAdvance(line.trimmed()), rect.width()) << line.toStdString();
            }
            drawn << page;
        }
        // Lines broken inside one of the text's lines join back without a separator.
        QStringList joined;
        int at = 0;
        for (const QString& expected : c.lines) {
            QString line;
            while (line.size() < expected.size() && at < drawn.size()) line += drawn[at++];
            if (expected.isEmpty() && at < drawn.size()) ++at;
            joined << line;
        }
        EXPECT_EQ(joined, c.lines);
        EXPECT_EQ(at, drawn.size());
        QBuffer printed;
        printed.open(QIODevice::WriteOnly);
        QPdfWriter paper(&printed);
        paper.setResolution(600);
        EXPECT_EQ(BookmarkPrintLayout::Print(paper, c.text), static_cast<int>(pages.size()));
        EXPECT_TRUE(printed.data().startsWith("%PDF"));
    }
}
