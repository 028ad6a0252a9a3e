#include "metadata/CVehicleInfo.h"
#include "metadata/CVehicleInfoCollector.h"
#include "metadata/VehicleInfoLayout.h"

#include <QCoreApplication>
#include <QSplitter>
#include <QTreeWidget>
#include <gtest/gtest.h>

TEST(VehicleInfoLayout, RowsSplitSixtyFortyWithTheirMinimum)
{
    EXPECT_EQ(VehicleInfoLayout::RowHeights(500), std::make_pair(300, 200));
    EXPECT_EQ(VehicleInfoLayout::RowHeights(101), std::make_pair(60, 41));
    // 60 % leaves the lower row under 25: it keeps its 25.
    EXPECT_EQ(VehicleInfoLayout::RowHeights(55), std::make_pair(30, 25));
    EXPECT_EQ(VehicleInfoLayout::RowHeights(40), std::make_pair(25, 25));
    EXPECT_EQ(VehicleInfoLayout::RowHeights(0), std::make_pair(25, 25));
}

TEST(VehicleInfoLayout, ColumnsThreeFifthsAndTheRest)
{
    EXPECT_EQ(VehicleInfoLayout::InitialColumns(301), std::make_pair(150, 150));
    EXPECT_EQ(VehicleInfoLayout::Columns(300), std::make_pair(180, 120));
    // width / 5 first: 304 / 5 × 3 is 180, not 182.
    EXPECT_EQ(VehicleInfoLayout::Columns(304), std::make_pair(180, 124));
}

TEST(VehicleInfoPane, ResizeReappliesTheSplitAfterADrag)
{
    CVehicleInfo pane;
    EXPECT_EQ(pane.windowTitle(), QStringLiteral("Vehicle Info"));
    pane.resize(300, 400);
    pane.show();
    QSplitter* splitter = pane.Splitter();
    const int rows = splitter->contentsRect().height() - splitter->handleWidth();
    EXPECT_EQ(splitter->sizes(), QList<int>({VehicleInfoLayout::RowHeights(rows).first,
                                             VehicleInfoLayout::RowHeights(rows).second}));
    splitter->setSizes({rows - 30, 30});
    pane.resize(300, 600);
    QCoreApplication::processEvents();
    const int taller = splitter->contentsRect().height() - splitter->handleWidth();
    const auto [upper, lower] = VehicleInfoLayout::RowHeights(taller);
    EXPECT_EQ(splitter->sizes(), QList<int>({upper, lower}));
}

TEST(VehicleInfoPane, ListShowsTheSampleAndResizesItsColumns)
{
    CVehicleInfoCollector collector;
    collector.resize(500, 300);
    collector.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(collector.List()->columnWidth(0), 500 / 5 * 3);
    EXPECT_EQ(collector.List()->columnWidth(1), 500 - 500 / 5 * 3);

    MetadataSample s;
    s.direction = 99;
    collector.ShowSample(s);
    ASSERT_EQ(collector.List()->topLevelItemCount(), 21);
    EXPECT_EQ(collector.List()->topLevelItem(2)->text(1), QStringLiteral("Unknown"));
    collector.Clear();
    EXPECT_EQ(collector.List()->topLevelItemCount(), 0);
}
