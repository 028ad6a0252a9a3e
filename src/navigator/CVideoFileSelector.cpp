#include "navigator/CVideoFileSelector.h"

#include "bookmarks/CBookmarkCollector.h"
#include "logging/HandlerGuard.h"
#include "navigator/CPaneSplitter.h"
#include "navigator/CVideoFileViewCollector.h"
#include "navigator/CViewTree.h"

#include <QLinearGradient>
#include <QPainter>
#include <QStyleOptionDockWidget>

namespace {
constexpr HandlerGuard::Failure kCreateFailure = HandlerGuard::Text("Error in Creating VideoFile Selector Tree View: %s");
constexpr HandlerGuard::Failure kCaptionFailure = HandlerGuard::Text("Error in Drawing the Caption: %s");
constexpr HandlerGuard::Failure kAddFailure = HandlerGuard::Text("Error in AddCamerasToTreeView: %s");
constexpr HandlerGuard::Failure kVideoStatusFailure = HandlerGuard::Text("Error in update video status: %s");
} // namespace

CVideoFileSelector::CVideoFileSelector(QWidget* parent) : QDockWidget(QString::fromLatin1(kCaption), parent)
{
    HandlerGuard::Run(kCreateFailure, [&] {
        splitter_ = new CPaneSplitter(this);
        form_ = new CVideoFileViewCollector(splitter_);
        bookmarks_ = new CBookmarkCollector(splitter_);
        splitter_->addWidget(form_);
        splitter_->addWidget(bookmarks_);
        setWidget(splitter_);
    });
    setMinimumSize(100, 200);
}

void CVideoFileSelector::SetEvents(std::function<IPlomeraViewEvents*()> events)
{
    form_->SetEvents(events);
    bookmarks_->SetEvents(std::move(events));
}

void CVideoFileSelector::SetOpenFileCommand(std::function<void()> command)
{
    form_->SetOpenFileCommand(std::move(command));
}

void CVideoFileSelector::SetDragSource(std::function<void(const NavigatorItem*)> source)
{
    form_->SetDragSource(std::move(source));
}

void CVideoFileSelector::AddCamerasToTreeView(const std::vector<Video*>& videos, int reuse)
{
    HandlerGuard::Run(kAddFailure, [&] { form_->AddCamerasToTreeView(videos, reuse); });
}

void CVideoFileSelector::UpdateCameraOnOffStatus(Video* video, bool shown)
{
    form_->UpdateCameraOnOffStatus(video, shown);
}

void CVideoFileSelector::UpdateCameraAudioOnOffStatus(Video* video, bool audioOn)
{
    form_->UpdateCameraAudioOnOffStatus(video, audioOn);
}

void CVideoFileSelector::UpdateVideoStatus(Video* video)
{
    HandlerGuard::Run(kVideoStatusFailure, [&] { form_->UpdateVideoStatus(video); });
}

void CVideoFileSelector::EnableSelectAll(bool enable)
{
    form_->EnableSelectAll(enable);
}

void CVideoFileSelector::SelectCameraOnTreeView(Video* video)
{
    form_->SelectCameraOnTreeView(video);
}

void CVideoFileSelector::UnCheckSelectAllInVideoFileSelector()
{
    form_->UnCheckSelectAllInVideoFileSelector();
}

void CVideoFileSelector::RemoveVideoFile(const QString& path)
{
    form_->RemoveVideoFile(path);
}

void CVideoFileSelector::Refresh()
{
    form_->Tree()->viewport()->update();
}

CViewTree* CVideoFileSelector::Tree() const
{
    return form_->Tree();
}

QCheckBox* CVideoFileSelector::SelectAll() const
{
    return form_->SelectAll();
}

void CVideoFileSelector::paintEvent(QPaintEvent*)
{
    HandlerGuard::Run(kCaptionFailure, [&] {
        QStyleOptionDockWidget option;
        initStyleOption(&option);
        const QRect caption = option.rect;
        if (caption.isEmpty() || isFloating()) {
            return;
        }
        QPainter p(this);
        QLinearGradient fill(caption.topLeft(), caption.bottomRight());
        fill.setColorAt(0.0, QColor(0, 0, 255));
        fill.setColorAt(0.5, QColor(0, 0, 128));
        fill.setColorAt(1.0, Qt::black);
        p.fillRect(caption, fill);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setStyleHint(QFont::SansSerif);
        font.setPointSize(9);
        p.setFont(font);
        p.setPen(Qt::white);
        const QFontMetrics metrics(font);
        p.drawText(caption.left() + 2, caption.top() + 4 + metrics.ascent(), windowTitle());
    });
}
