#include "metadata/CTimelineMetadataSettingsListCtrl.h"

#include <QHeaderView>

namespace {

QColor FromArgb(uint32_t argb)
{
    // The cell shows the colour the strip draws: red, green and blue, opacity aside.
    return QColor((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

} // namespace

CTimelineMetadataSettingsListCtrl::CTimelineMetadataSettingsListCtrl(QWidget* parent)
    : QTableWidget(0, 2, parent)
{
    setHorizontalHeaderLabels({QStringLiteral("State InputName"), QStringLiteral("Color")});
    setColumnWidth(kNameColumn, 160);
    setColumnWidth(kColourColumn, 60);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    setShowGrid(true);
    // No selection highlight: it would hide the colour cells.
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == kNameColumn) emit CheckChanged(EntryAt(item->row()), IsChecked(item->row()));
    });
    connect(this, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column == kColourColumn) emit ColourRequested(row);
    });
}

void CTimelineMetadataSettingsListCtrl::AddEntry(std::size_t entry, const QString& name, bool checked, uint32_t argb)
{
    const QSignalBlocker quiet(this);
    const int row = rowCount();
    insertRow(row);
    auto* nameItem = new QTableWidgetItem(name);
    nameItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    nameItem->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    nameItem->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(entry));
    setItem(row, kNameColumn, nameItem);
    auto* colourItem = new QTableWidgetItem(QString());
    colourItem->setFlags(Qt::ItemIsEnabled);
    setItem(row, kColourColumn, colourItem);
    SetRowColour(row, argb);
}

void CTimelineMetadataSettingsListCtrl::DisableHeader()
{
    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setStretchLastSection(false);
}

void CTimelineMetadataSettingsListCtrl::SetRowColour(int row, uint32_t argb)
{
    if (QTableWidgetItem* cell = item(row, kColourColumn)) cell->setBackground(FromArgb(argb));
}

std::size_t CTimelineMetadataSettingsListCtrl::EntryAt(int row) const
{
    const QTableWidgetItem* cell = item(row, kNameColumn);
    return cell ? static_cast<std::size_t>(cell->data(Qt::UserRole).toULongLong()) : 0;
}

bool CTimelineMetadataSettingsListCtrl::IsChecked(int row) const
{
    const QTableWidgetItem* cell = item(row, kNameColumn);
    return cell != nullptr && cell->checkState() == Qt::Checked;
}

void CTimelineMetadataSettingsListCtrl::SetChecked(int row, bool checked)
{
    if (QTableWidgetItem* cell = item(row, kNameColumn)) cell->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

QColor CTimelineMetadataSettingsListCtrl::RowColour(int row) const
{
    const QTableWidgetItem* cell = item(row, kColourColumn);
    return cell ? cell->background().color() : QColor();
}
