#pragma once

#include <QTableWidget>
#include <cstddef>
#include <cstdint>

// One of the settings dialog's four input lists: report rows 25 pixels high with grid lines, a
// check box and the input's name ("State InputName", 160 px) and a cell painted in its colour
// ("Color", 60 px). Each row keeps the index of its entry in the dialog's list.
class CTimelineMetadataSettingsListCtrl : public QTableWidget {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 25;
    static constexpr int kNameColumn = 0;
    static constexpr int kColourColumn = 1;

    explicit CTimelineMetadataSettingsListCtrl(QWidget* parent = nullptr);

    void AddEntry(std::size_t entry, const QString& name, bool checked, uint32_t argb);
    // After filling: the header takes no clicks and its columns keep their widths.
    void DisableHeader();
    void SetRowColour(int row, uint32_t argb);

    std::size_t EntryAt(int row) const;
    bool IsChecked(int row) const;
    void SetChecked(int row, bool checked);
    QColor RowColour(int row) const;

signals:
    void CheckChanged(std::size_t entry, bool checked);
    // A click on the row's "Color" cell.
    void ColourRequested(int row);
};
