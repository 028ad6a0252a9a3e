// The bookmark requests of the pane and the time scale, carried out over the working lists (one
// per open file): details and adding through the details dialog, delete, copy, seek, save, undo,
// print, and the save question when files are released.
#include "viewer/CViewer.h"

#include "bookmarks/BookmarkPrintLayout.h"
#include "bookmarks/BookmarkWorkingLists.h"
#include "bookmarks/CAddEditBookmarksDlg.h"
#include "evidence/FalException.h"
#include "logging/HandlerGuard.h"
#include "timeline/CTimeline.h"
#include "timeline/TimelineIds.h"
#include "controls/StringTable.h"
#include "viewer/CVideoPlayer.h"
#include "viewer/IViewerHost.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrinter>

namespace {

const QString kDetailsCaption = QStringLiteral("Bookmark Details");

std::vector<const BookmarkRecord*> Records(const BookmarkList* list)
{
    std::vector<const BookmarkRecord*> records;
    if (list != nullptr) {
        for (const auto& r : *list) {
            records.push_back(r.get());
        }
    }
    return records;
}

BookmarkRecord& Checked(BookmarkRecord* bookmark)
{
    if (bookmark == nullptr) {
        throw FalException(QStringLiteral("Bookmark is null"));
    }
    return *bookmark;
}

void Copy(const std::vector<const BookmarkRecord*>& records)
{
    QGuiApplication::clipboard()->setText(BookmarkWorkingLists::CopyText(records));
}

// The print dialog over a printer whose default output is "Bookmarks.pdf" in the home folder;
// cancelled, nothing is printed.
void Print(const CViewer::PrintDialogFunction& dialog, QWidget* parent, const std::vector<const BookmarkRecord*>& records)
{
    QPrinter printer;
    // The layout's rectangle is in device units; 600 dpi, the office printer's, gives it the same
    // size on every printer and in the PDF.
    printer.setResolution(600);
    printer.setDocName(QStringLiteral("Bookmarks.pdf"));
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QDir::home().filePath(QStringLiteral("Bookmarks.pdf")));
    bool confirmed = false;
    if (dialog) {
        confirmed = dialog(printer);
    } else {
        QPrintDialog box(&printer, parent);
        // Every page is printed: the text runs on to as many pages as it needs.
        box.setOption(QAbstractPrintDialog::PrintPageRange, false);
        confirmed = box.exec() == QDialog::Accepted;
    }
    if (confirmed) {
        BookmarkPrintLayout::Print(printer, BookmarkWorkingLists::CopyText(records));
    }
}

} // namespace

BookmarkList* CViewer::BookmarksOf(Video* video)
{
    if (video == nullptr) {
        return nullptr;
    }
    const VideoFile* file = video->GetVideoFile();
    return bookmarks_->Open(file->path, file->bookmarks);
}

void CViewer::BookmarksChanged(bool edited)
{
    if (edited) {
        SetPackageRewrite();
    }
    // The time scale redraws whichever list it shows; the selected camera's, when there is one.
    Video* selected = SelectedCamera();
    const BookmarkList* shown = selected != nullptr ? bookmarks_->ListOf(selected->GetVideoFile()->path) : nullptr;
    timeline_->SetBookmarks(shown);
    if (host_) {
        host_->ShowBookmarks(shown);
        host_->SetBookmarksModified(bookmarks_->AnyModified());
    }
}

// The dialog by default; a test answers it through SetBookmarkDialogFunction.
static std::optional<CViewer::BookmarkTexts> AskBookmark(const CViewer::BookmarkDialogFunction& function,
                                                         QWidget* parent, const QString& caption,
                                                         const QString& name, qint64 time, const QString& notes)
{
    if (function) {
        return function(caption, name, time, notes);
    }
    CAddEditBookmarksDlg dialog(caption, name, time, notes, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return CViewer::BookmarkTexts{dialog.Name(), dialog.Notes()};
}

void CViewer::OnEditBookmark(BookmarkRecord* bookmark)
{
    HandlerGuard::Run(HandlerGuard::Text("Edit Bookmarks Failed : %s"), [&] {
        BookmarkRecord& b = Checked(bookmark);
        const auto texts = AskBookmark(bookmarkDialog_, this, kDetailsCaption, b.GetName(), b.GetTime(), b.GetNotes());
        if (!texts || (texts->name == b.GetName() && texts->notes == b.GetNotes())) {
            return;
        }
        if (!bookmarks_->Edit(bookmark, texts->name, texts->notes)) {
            throw FalException(QStringLiteral("The bookmark is in no open file"));
        }
        BookmarksChanged(true);
    });
}

void CViewer::OnAddBookmark(std::optional<qint64> time)
{
    HandlerGuard::Run(HandlerGuard::ErrorIn("AddBookmark"), [&] {
        Video* video = SelectedCamera();
        if (video == nullptr) {
            return;
        }
        const qint64 at = time ? *time : CameraTime(video);
        const auto texts = AskBookmark(bookmarkDialog_, this, StringTable::Load(TimelineIds::AddBookmarkText),
                                       QString(), at, QString());
        if (!texts) {
            return;
        }
        BookmarksOf(video);
        bookmarks_->Add(video->GetVideoFile()->path, texts->name, at, texts->notes);
        BookmarksChanged(true);
    });
}

void CViewer::OnDeleteBookmark(BookmarkRecord* bookmark)
{
    HandlerGuard::Run(HandlerGuard::Text("Delete Bookmark Failed : %s"), [&] {
        if (bookmarks_->Delete({&Checked(bookmark)}) > 0) {
            BookmarksChanged(true);
        }
    });
}

void CViewer::OnDeleteBookmarks(BookmarkList* bookmarks)
{
    HandlerGuard::Run(HandlerGuard::Text("Delete Selected Bookmarks Failed : %s"), [&] {
        // A copy: the list handed in may be the working list itself ("Delete All").
        if (bookmarks_->Delete(Records(bookmarks)) > 0) {
            BookmarksChanged(true);
        }
    });
}

void CViewer::OnCopyBookmarkToClipboard(BookmarkRecord* bookmark)
{
    HandlerGuard::Run(HandlerGuard::Text("Copy Bookmark to Clipboard Failed : %s"), [&] { Copy({&Checked(bookmark)}); });
}

void CViewer::OnCopyBookmarksToClipboard(BookmarkList* bookmarks)
{
    HandlerGuard::Run(HandlerGuard::Text("Copy Selected Bookmarks to Clipboard Failed : %s"),
                      [&] { Copy(Records(bookmarks)); });
}

void CViewer::OnPrintBookmark(BookmarkRecord* bookmark)
{
    HandlerGuard::Run(HandlerGuard::Text("Print Bookmark Failed : %s"),
                      [&] { Print(printDialog_, this, {&Checked(bookmark)}); });
}

void CViewer::OnPrintBookmarks(BookmarkList* bookmarks)
{
    HandlerGuard::Run(HandlerGuard::Text("Print Selected Bookmarks Failed : %s"),
                      [&] { Print(printDialog_, this, Records(bookmarks)); });
}

void CViewer::OnSeekToBookmark(BookmarkRecord* bookmark)
{
    HandlerGuard::Run(HandlerGuard::ErrorIn("SeekToBookmark"), [&] { OnSeekToTime(Checked(bookmark).GetTime()); });
}

void CViewer::OnSaveBookmarks()
{
    HandlerGuard::Run(HandlerGuard::ErrorIn("SaveBookmarks"), [&] { SaveBookmarkLists({}); });
}

bool CViewer::UndoBookmarkChange()
{
    if (!bookmarks_->Undo()) {
        return false;
    }
    BookmarksChanged(true);
    return true;
}

void CViewer::SaveBookmarkLists(const QStringList& files)
{
    for (const BookmarkWorkingLists::Failure& failure : bookmarks_->Save(files)) {
        ShowMessage(failure.text, QString(), QMessageBox::Ok, QMessageBox::NoIcon);
    }
    BookmarksChanged(false);
}

void CViewer::WriteBackBookmarks(const QStringList& files)
{
    const QStringList released = files.isEmpty() ? bookmarks_->Files() : files;
    QStringList unsaved;
    for (const QString& path : released) {
        if (bookmarks_->Modified(path)) {
            unsaved << path;
        }
    }
    QStringList failedKeys;
    if (!unsaved.isEmpty()) {
        const auto answer = ShowMessage(QStringLiteral("Bookmarks not saved.\nDo you want to Save them ?"),
                                        QStringLiteral("Save Bookmarks"), QMessageBox::Yes | QMessageBox::No,
                                        QMessageBox::Information);
        if (answer == QMessageBox::Yes) {
            for (const BookmarkWorkingLists::Failure& failure : bookmarks_->Save(unsaved)) {
                ShowMessage(failure.text, QString(), QMessageBox::Ok, QMessageBox::NoIcon);
                failedKeys << BookmarkWorkingLists::Key(failure.path);
            }
        }
    }
    // The time scale and the pane let go first: they may be showing a list about to go.
    timeline_->SetBookmarks(nullptr);
    if (host_) host_->ShowBookmarks(nullptr);
    for (const QString& path : released) {
        // A list whose write failed stays, still unsaved: the save command can try it again.
        if (!failedKeys.contains(BookmarkWorkingLists::Key(path))) {
            bookmarks_->Release(path);
        }
    }
    BookmarksChanged(false);
}
