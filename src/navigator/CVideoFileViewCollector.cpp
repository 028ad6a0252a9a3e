#include "navigator/CVideoFileViewCollector.h"

#include "controls/ResourceImage.h"
#include "events/IPlomeraViewEvents.h"
#include "evidence/Video.h"
#include "logging/HandlerGuard.h"
#include "navigator/CViewTree.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPixmap>
#include <QSignalBlocker>
#include <QSysInfo>
#include <QVBoxLayout>

namespace {

using Guard = HandlerGuard;
constexpr Guard::Failure kAddFailure = Guard::Text("Error in AddCamerasToTreeView: %s");
constexpr Guard::Failure kOnOffFailure = Guard::Text("Error in UpdateCameraOnOffStatus: %s");
constexpr Guard::Failure kAudioStatusFailure = Guard::Text("Error in UpdateCameraAudioOnOffStatus: %s");
constexpr Guard::Failure kVideoStatusFailure = Guard::Text("Error in UpdateVideoStatus: %s");
constexpr Guard::Failure kSelectAllFailure = Guard::Text("Error in Enabling Select Allcheckbox: %s");
constexpr Guard::Failure kSelectCameraFailure = Guard::Text("Error in SelectCameraOnTreeView: %s");
constexpr Guard::Failure kUnCheckFailure = Guard::Text("Error in UnCheckSelectAllInVideoFileSelector: %s");
constexpr Guard::Failure kInitialUpdateFailure = Guard::Text("Error in OnInitialUpdate: %s");
constexpr Guard::Failure kContextMenuFailure = Guard::Text("Error in OnContextMenu: %s");
constexpr Guard::Failure kFindItemFailure = Guard::Text("Error in FindItem: %s");
constexpr Guard::Failure kChannelFailure = Guard::Text("Error OnDevicelevelAudio Enable In VideoFile: %s");
constexpr Guard::Failure kOpenFileFailure = Guard::Text("Error in OnTreeViewOpenVideoFile: %s");
constexpr Guard::Failure kPlayFileFailure = Guard::Text("Error in OnTreeViewPlayVideoFile: %s");
constexpr Guard::Failure kReleaseOneFailure = Guard::Text("Error in ReleaseVideoFile: %s");
constexpr Guard::Failure kReleaseFailure = Guard::Text("Error in OnTreeViewVideoFileRelease: %s");
constexpr Guard::Failure kAudioFailure = Guard::Text("Error in OnTreeViewEnableDisableAudio: %s");
constexpr Guard::Failure kDoubleClickFailure = Guard::Text("Error in OnTreeViewItemDblClk: %s");
constexpr Guard::Failure kBeginDragFailure = Guard::Text("Error in OnTreeViewBeginDrag: %s");
constexpr Guard::Failure kItemDeleteFailure = Guard::Text("Error in OnTreeViewItemDelete: %s");

constexpr const char* kRootText = "Player";                                    // string 167
constexpr const char* kNothingOpenText = "No Video File is currently opened";  // string 132
constexpr const char* kReleaseFilesCaption = "Release Files";                  // string 507
constexpr int kCommandRole = Qt::UserRole;

void AddEntries(QMenu* menu, const std::vector<NavigatorMenus::Entry>& entries)
{
    for (const NavigatorMenus::Entry& e : entries) {
        if (e.command == 0) {
            AddEntries(menu->addMenu(e.text), e.submenu);
            continue;
        }
        QAction* action = menu->addAction(e.text);
        action->setData(e.command);
        action->setCheckable(e.checkable);
        action->setChecked(e.checked);
        action->setEnabled(e.enabled);
    }
}

bool HasChildren(const QTreeWidgetItem* item)
{
    return item != nullptr && item->childCount() > 0;
}

} // namespace

CVideoFileViewCollector::CVideoFileViewCollector(QWidget* parent) : QWidget(parent)
{
    tree_ = new CViewTree(this);
    selectAll_ = new QCheckBox(QStringLiteral("Select All"), this);
    selectAll_->setEnabled(false);
    // The tree stretches with the form; the check box follows the bottom edge.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(tree_, 1);
    layout->addWidget(selectAll_, 0);
    setAcceptDrops(true);
    setFocusProxy(tree_);
    messageBox_ = [this](const QString& text, const QString& caption) {
        QMessageBox::information(this, caption, text);
    };

    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnSelectionChanged(current); });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item, int) { OnItemDoubleClicked(item); });
    connect(tree_, &CViewTree::dragBegun, this, &CVideoFileViewCollector::OnBeginDrag);
    connect(tree_, &CViewTree::dragEnded, this, [this] {
        if (dragSource_) dragSource_(nullptr);
    });
    connect(tree_, &CViewTree::filesDropped, this, &CVideoFileViewCollector::DropFiles);
    connect(tree_, &CViewTree::contextMenuAt, this, &CVideoFileViewCollector::OnContextMenu);
    connect(selectAll_, &QCheckBox::clicked, this, [this](bool checked) {
        Guard::Run("OnBnClickedSelectAll", [&] {
            if (IPlomeraViewEvents* events = Events()) events->SelectAllCameras(checked);
        });
    });
    OnInitialUpdate();
}

CVideoFileViewCollector::~CVideoFileViewCollector() = default;

void CVideoFileViewCollector::OnInitialUpdate()
{
    Guard::Run(kInitialUpdateFailure, [&] {
        // The pictures come as one set: with one missing the tree shows none.
        QList<QIcon> images;
        for (int id = kFirstPicture; id < kFirstPicture + 5; ++id) {
            const ResourceImage picture(id);
            if (picture.IsEmpty()) {
                images.clear();
                break;
            }
            images << QIcon(QPixmap::fromImage(picture.Image()));
        }
        images_ = images;
        tree_->setIconSize(QSize(23, 17));
        const QString host = QSysInfo::machineHostName();
        const QString rootText = host.isEmpty() ? QString::fromLatin1(kRootText)
                                                : QString::fromLatin1(kRootText) + QLatin1Char('-') + host;
        root_ = new QTreeWidgetItem(tree_, {rootText});
        items_ = std::make_unique<VideoFileTree>(root_);
        items_->SetImages(images_);
        items_->SetImage(root_, VideoFileTree::Computer);
        root_->setExpanded(true);
        tree_->setFocus();
    });
}

QTreeWidgetItem* CVideoFileViewCollector::Selected() const
{
    return tree_->currentItem();
}

// --- Operations the viewer calls -------------------------------------------------------------

void CVideoFileViewCollector::AddCamerasToTreeView(const std::vector<Video*>& videos, int reuse)
{
    Guard::Run(kAddFailure, [&] {
        const QSignalBlocker quiet(tree_);
        VideoFileTree::Added added;
        Guard::Run(kFindItemFailure, [&] { added = items_->AddCameras(videos, reuse); });
        if (added.file != nullptr) {
            added.file->setExpanded(true);
            tree_->setCurrentItem(added.file);
        } else if (added.clearSelection) {
            tree_->setCurrentItem(nullptr);
            tree_->clearSelection();
        }
    });
}

void CVideoFileViewCollector::UpdateCameraOnOffStatus(Video* video, bool shown)
{
    Guard::Run(kOnOffFailure, [&] {
        if (QTreeWidgetItem* camera = items_->FindCamera(video)) {
            items_->SetImage(camera, shown ? VideoFileTree::CameraShown : VideoFileTree::CameraNotShown);
        }
    });
}

void CVideoFileViewCollector::UpdateCameraAudioOnOffStatus(Video* video, bool audioOn)
{
    Guard::Run(kAudioStatusFailure, [&] {
        if (QTreeWidgetItem* camera = items_->FindCamera(video)) {
            items_->SetImage(camera, audioOn ? VideoFileTree::CameraWithAudio : VideoFileTree::CameraShown);
            if (audioOn) {
                items_->ClearChannels();
            }
        }
    });
}

void CVideoFileViewCollector::UpdateVideoStatus(Video* video)
{
    Guard::Run(kVideoStatusFailure, [&] {
        if (NavigatorItem* record = VideoFileTree::Record(items_->FindCamera(video))) {
            record->video = video;
        }
    });
}

void CVideoFileViewCollector::EnableSelectAll(bool enable)
{
    Guard::Run(kSelectAllFailure, [&] {
        if (!enable) {
            selectAll_->setChecked(false);
        }
        selectAll_->setEnabled(enable);
    });
}

void CVideoFileViewCollector::SelectCameraOnTreeView(Video* video)
{
    Guard::Run(kSelectCameraFailure, [&] {
        if (QTreeWidgetItem* camera = items_->FindCamera(video)) {
            // The viewer selected the camera already: nothing goes back to it.
            const QSignalBlocker quiet(tree_);
            tree_->setCurrentItem(camera);
        }
    });
}

void CVideoFileViewCollector::UnCheckSelectAllInVideoFileSelector()
{
    Guard::Run(kUnCheckFailure, [&] {
        if (selectAll_->isChecked()) {
            if (IPlomeraViewEvents* events = Events()) events->SelectAllCameras(false);
            selectAll_->setChecked(false);
        }
    });
}

void CVideoFileViewCollector::RemoveVideoFile(const QString& path)
{
    Guard::Run(kItemDeleteFailure, [&] {
        const QSignalBlocker quiet(tree_);
        items_->RemoveFile(path);
    });
}

// --- User actions ----------------------------------------------------------------------------

void CVideoFileViewCollector::OnSelectionChanged(QTreeWidgetItem* item)
{
    Guard::Run("OnTreeViewSelChanged", [&] {
        const NavigatorItem* record = VideoFileTree::Record(item);
        if (record == nullptr || HasChildren(item) || record->kind != NavigatorItem::Camera) {
            return;
        }
        if (IPlomeraViewEvents* events = Events()) events->SelectCamera(record->video);
    });
}

void CVideoFileViewCollector::OnItemDoubleClicked(QTreeWidgetItem* item)
{
    Guard::Run(kDoubleClickFailure, [&] {
        NavigatorItem* record = VideoFileTree::Record(item);
        if (record == nullptr || HasChildren(item) || record->kind != NavigatorItem::Camera) {
            return;
        }
        NavigatorItem request = *record;
        if (IPlomeraViewEvents* events = Events()) events->OpenVideoPlayer(&request);
    });
}

void CVideoFileViewCollector::OnBeginDrag(QTreeWidgetItem* item)
{
    Guard::Run(kBeginDragFailure, [&] {
        const NavigatorItem* record = VideoFileTree::Record(item);
        if (item == root_ || record == nullptr || !dragSource_) {
            return;
        }
        NavigatorItem source;
        source.kind = HasChildren(item) ? NavigatorItem::File : NavigatorItem::Camera;
        source.path = record->path;
        source.video = HasChildren(item) ? nullptr : record->video;
        dragSource_(&source);
    });
}

void CVideoFileViewCollector::DropFiles(const QStringList& paths)
{
    Guard::Run("OnDropFiles", [&] {
        for (const QString& path : paths) {
            if (IPlomeraViewEvents* events = Events()) events->OpenLocalFile(path);
        }
    });
}

void CVideoFileViewCollector::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CVideoFileViewCollector::dropEvent(QDropEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
        DropFiles(VideoFileTree::LocalFiles(event->mimeData()->urls()));
    }
}

void CVideoFileViewCollector::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    tree_->setFocus();
}

void CVideoFileViewCollector::OnContextMenu(const QPoint& globalPos)
{
    Guard::Run(kContextMenuFailure, [&] {
        if (QTreeWidgetItem* under = tree_->itemAt(tree_->viewport()->mapFromGlobal(globalPos))) {
            tree_->setCurrentItem(under);
        }
        tree_->setFocus();
        std::unique_ptr<QMenu> menu(MakeMenu(this));
        if (!menu) {
            return;
        }
        if (QAction* chosen = menu->exec(globalPos)) {
            const int command = chosen->data().toInt();
            menu.reset();
            RunCommand(command);
        }
    });
}

QMenu* CVideoFileViewCollector::MakeMenu(QWidget* parent)
{
    QTreeWidgetItem* item = Selected();
    if (item == nullptr) {
        return nullptr;
    }
    const NavigatorItem* record = VideoFileTree::Record(item);
    NavigatorMenus::Menu table;
    if (item == root_) {
        table = NavigatorMenus::ForRoot();
    } else if (record != nullptr && HasChildren(item)) {
        table = NavigatorMenus::ForFile(record->video, items_->channel1, items_->channel2);
    } else if (record != nullptr) {
        table = NavigatorMenus::ForCamera(record->video);
    }
    if (table.id == 0) {
        return nullptr;
    }
    auto* menu = new QMenu(table.title, parent);
    menu->setProperty("menuId", table.id);
    AddEntries(menu, table.entries);
    return menu;
}

void CVideoFileViewCollector::RunCommand(int command)
{
    QTreeWidgetItem* item = Selected();
    NavigatorItem* record = VideoFileTree::Record(item);
    IPlomeraViewEvents* events = Events();
    switch (command) {
    case NavigatorMenus::OpenVideoFile:
        Guard::Run(kOpenFileFailure, [&] {
            if (openFile_) openFile_();
        });
        return;
    case NavigatorMenus::ReleaseFiles:
        Guard::Run(kReleaseFailure, [&] { OnReleaseFiles(); });
        return;
    case NavigatorMenus::PlayVideoFile:
        Guard::Run(kPlayFileFailure, [&] {
            if (record != nullptr && events != nullptr) events->PlaySelectedVideoFile(record->path);
        });
        return;
    case NavigatorMenus::ReleaseFile:
        Guard::Run(kReleaseFailure, [&] {
            if (record != nullptr) ReleaseFile(record->path);
        });
        return;
    case NavigatorMenus::DeviceAudioChannel1:
    case NavigatorMenus::DeviceAudioChannel2:
        Guard::Run(kChannelFailure, [&] {
            bool& flag = command == NavigatorMenus::DeviceAudioChannel1 ? items_->channel1 : items_->channel2;
            flag = !flag;
            if (events != nullptr) events->UpdateDeviceLevelAudio(items_->channel1, items_->channel2);
        });
        return;
    case NavigatorMenus::EnableAudio:
    case NavigatorMenus::DisableAudio:
        Guard::Run(kAudioFailure, [&] {
            if (record == nullptr || record->video == nullptr) {
                return;
            }
            const bool on = command == NavigatorMenus::EnableAudio;
            record->video->audioOn = on ? 1 : 0;
            if (events != nullptr) {
                on ? events->EnableCameraAudio(record->video) : events->DisableCameraAudio(record->video);
            }
            items_->ClearChannels();
        });
        return;
    case NavigatorMenus::Watermark:
        Guard::Run(kContextMenuFailure, [&] {
            if (record != nullptr && events != nullptr) events->ShowWatermark(record->video);
        });
        return;
    default:
        Guard::Run(kContextMenuFailure, [&] {
            const QString view = NavigatorMenus::ViewText(command);
            if (!view.isEmpty() && record != nullptr && events != nullptr) {
                events->OpenDewarpView(record->video, view);
            }
        });
        return;
    }
}

void CVideoFileViewCollector::OnReleaseFiles()
{
    const QStringList paths = items_->FilePaths();
    if (paths.isEmpty()) {
        if (messageBox_) messageBox_(QString::fromLatin1(kNothingOpenText), QString::fromLatin1(kReleaseFilesCaption));
        return;
    }
    for (const QString& path : paths) {
        ReleaseFile(path);
    }
}

void CVideoFileViewCollector::ReleaseFile(const QString& path)
{
    Guard::Run(kReleaseOneFailure, [&] {
        items_->ClearChannels();
        if (IPlomeraViewEvents* events = Events()) events->ReleaseVideoFile(path);
        // The viewer has usually let the item go already, while it released the file.
        Guard::Run(kItemDeleteFailure, [&] {
            const QSignalBlocker quiet(tree_);
            items_->RemoveFile(path);
        });
    });
}
