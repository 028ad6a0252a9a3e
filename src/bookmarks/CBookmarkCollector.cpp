#include "bookmarks/CBookmarkCollector.h"

#include "bookmarks/CBookmarkListCtrl.h"
#include "events/IPlomeraViewEvents.h"
#include "logging/HandlerGuard.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QVBoxLayout>
#include <memory>

namespace {

enum Command {
    DeleteSelected = 32806,
    CopySelected = 32802,
    PrintSelected = 32807,
    Details = 32841,
    CopyAll = 32818,
    PrintAll = 32819,
    DeleteAll = 32820,
};

HandlerGuard::Failure FailureOf(int command)
{
    switch (command) {
    case DeleteSelected: return HandlerGuard::Text("Error in OnDeleteSelectedBookmarks: %s");
    case CopySelected: return HandlerGuard::Text("Error in OnCopySelectedBookmarksToClipboard: %s");
    case Details: return HandlerGuard::Text("Error in OnEditBookmark: %s");
    case PrintSelected: return HandlerGuard::Text("Error in OnPrintSelectedBookmarks: %s");
    case CopyAll: return HandlerGuard::Text("Error in OnCopyAllBookmarksToClipboard: %s");
    case PrintAll: return HandlerGuard::Text("Error in OnPrintAllBookmarks: %s");
    default: return HandlerGuard::Text("Error in OnDeleteAllBookmarks: %s");
    }
}

// The strip over the list: blue to black along the diagonal, "Bookmarks" in white.
class CaptionStrip : public QWidget {
public:
    explicit CaptionStrip(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QString::number(CBookmarkCollector::kCaptionId));
        setFixedHeight(22);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        HandlerGuard::Run(HandlerGuard::Text("Error in Drawing the Caption: %s"), [&] {
            QPainter p(this);
            QLinearGradient g(rect().topLeft(), rect().bottomRight());
            g.setColorAt(0, QColor(0, 0, 255));
            g.setColorAt(1, Qt::black);
            p.fillRect(rect(), g);
            QFont font(QStringLiteral("Sans Serif"));
            font.setStyleHint(QFont::SansSerif);
            font.setPointSize(9);
            p.setFont(font);
            p.setPen(Qt::white);
            p.drawText(QRect(2, 4, width() - 2, height() - 4), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Bookmarks"));
        });
    }
};

} // namespace

CBookmarkCollector::CBookmarkCollector(QWidget* parent) : QWidget(parent)
{
    setObjectName(QString::number(kPaneId));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new CaptionStrip(this));
    list_ = new CBookmarkListCtrl(this);
    layout->addWidget(list_);
    list_->installEventFilter(this);
    list_->viewport()->installEventFilter(this);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] {
        HandlerGuard::Run(HandlerGuard::Text("Error in OnBookmarkListItemDblClk: %s"), [&] {
            if (Events() && list_->Current()) Events()->SeekToBookmark(list_->Current());
        });
    });
}

void CBookmarkCollector::ShowBookmarks(const BookmarkList* bookmarks)
{
    list_->ShowBookmarks(bookmarks);
}

QMenu* CBookmarkCollector::MakeMenu(QWidget* parent)
{
    if (list_->topLevelItemCount() == 0) {
        return nullptr;
    }
    auto* menu = new QMenu(parent);
    const auto add = [menu](const char* text, int command) {
        menu->addAction(QString::fromLatin1(text))->setData(command);
    };
    const size_t selected = list_->Selected().size();
    if (selected == 0) {
        menu->setObjectName(QString::number(kAllMenu));
        add("Copy All Bookmarks", CopyAll);
        add("Print All Bookmarks", PrintAll);
        add("Delete All Bookmarks", DeleteAll);
    } else if (selected == 1) {
        menu->setObjectName(QString::number(kOneMenu));
        add("Details", Details);
    } else {
        menu->setObjectName(QString::number(kSelectedMenu));
        add("Delete Bookmarks", DeleteSelected);
        add("Copy Bookmarks to Clipboard", CopySelected);
        add("Print Bookmarks", PrintSelected);
    }
    return menu;
}

void CBookmarkCollector::RunCommand(int command)
{
    HandlerGuard::Run(FailureOf(command), [&] {
        IPlomeraViewEvents* events = Events();
        if (!events) {
            return;
        }
        // The lists handed over are the pane's own copies: the viewer refills the pane meanwhile.
        const bool all = command == CopyAll || command == PrintAll || command == DeleteAll;
        BookmarkList chosen = all ? list_->All() : list_->Selected();
        switch (command) {
        case Details:
            if (!chosen.empty()) events->EditBookmark(chosen.front().get());
            break;
        case DeleteSelected:
        case DeleteAll: events->DeleteBookmarks(&chosen); break;
        case CopySelected:
        case CopyAll: events->CopyBookmarksToClipboard(&chosen); break;
        case PrintSelected:
        case PrintAll: events->PrintBookmarks(&chosen); break;
        default: break;
        }
    });
}

void CBookmarkCollector::ShowMenu(const QPoint& globalPos)
{
    HandlerGuard::Run(HandlerGuard::Text("Error in OnContextMenu: %s"), [&] {
        std::unique_ptr<QMenu> menu(MakeMenu(this));
        if (!menu) {
            return;
        }
        if (QAction* chosen = menu->exec(globalPos)) {
            RunCommand(chosen->data().toInt());
        }
    });
}

bool CBookmarkCollector::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ContextMenu) {
        auto* e = static_cast<QContextMenuEvent*>(event);
        if (list_->topLevelItemCount() == 0) {
            return false;
        }
        ShowMenu(e->globalPos());
        return true;
    }
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool several = list_->Selected().size() > 1;
        if (key->matches(QKeySequence::Copy)) {
            RunCommand(list_->Selected().empty() ? CopyAll : CopySelected);
        } else if (key->matches(QKeySequence::Print)) {
            RunCommand(list_->Selected().empty() ? PrintAll : PrintSelected);
        } else if (key->key() == Qt::Key_Delete && !list_->Selected().empty()) {
            RunCommand(DeleteSelected);
        } else if (key->key() == Qt::Key_F2 && !several && list_->Current()) {
            RunCommand(Details);
        } else if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && list_->Current()) {
            HandlerGuard::Run(HandlerGuard::Text("Error in OnBookmarkListItemDblClk: %s"), [&] {
                if (Events()) Events()->SeekToBookmark(list_->Current());
            });
        } else if (key->key() == Qt::Key_Menu || (key->key() == Qt::Key_F10 && key->modifiers() & Qt::ShiftModifier)) {
            const QRect row = list_->visualItemRect(list_->currentItem());
            ShowMenu(list_->viewport()->mapToGlobal(row.isValid() ? row.center() : QPoint(0, 0)));
        } else {
            return false;
        }
        return true;
    }
    return false;
}
