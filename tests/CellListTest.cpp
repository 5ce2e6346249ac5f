// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ListView.h"
#include "ui/CellList.h"

#include <QHeaderView>
#include <QPixmap>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A floor list as the status page sets it up: floor, car call, up and down
// hall call columns, one row per floor from the top floor down.
class CellListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetupReportView(&m_list);
        m_list.header()->setSectionsMovable(true);
        InsertColumn(&m_list, 0, "楼层", 38, Qt::AlignHCenter);
        InsertColumn(&m_list, 1, "指令", 38, Qt::AlignHCenter);
        InsertColumn(&m_list, 2, "上召↑", 52, Qt::AlignHCenter);
        InsertColumn(&m_list, 3, "下召↓", 52, Qt::AlignHCenter);
        for (int row = 0; row < kFloors; ++row)
            InsertRow(&m_list, row, QString::number(kFloors - row), kFloors - row);
        SetRowText(&m_list, 1, 2, "↑");
        SetRowText(&m_list, 2, 3, "↓");
        m_list.resize(260, 200);
        m_list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_list));
    }

    QModelIndex Cell(int row, int column) const { return m_list.model()->index(row, column); }
    QRect CellRect(int row, int column) const { return m_list.visualRect(Cell(row, column)); }

    void Press(int row, int column) { QTest::mouseClick(m_list.viewport(), Qt::LeftButton, {}, CellRect(row, column).center()); }

    QPoint BelowTheRows() const { return {20, CellRect(kFloors - 1, 0).bottom() + 30}; }

    // Whether the cell shows the sunken frame: its top-left pixel in the
    // button shadow colour and its inside in the button face. The list gives
    // up the keyboard focus first, so that the style's focus tint over the
    // focused row does not shift the colours.
    bool LooksSunken(int row, int column)
    {
        m_list.clearFocus();
        const QImage image = m_list.viewport()->grab().toImage();
        const QRect cell = CellRect(row, column);
        const QPalette& palette = m_list.palette();
        return image.pixel(cell.topLeft()) == palette.color(QPalette::Dark).rgb()
            && image.pixel(cell.left() + 3, cell.bottom() - 3) == palette.color(QPalette::Button).rgb();
    }

    static constexpr int kFloors = 5;
    CCellList m_list;
};

} // namespace

TEST_F(CellListTest, CurrentColumnFollowsDisplayPositionAfterColumnsAreReordered)
{
    m_list.setCurrentItem(m_list.topLevelItem(1));
    EXPECT_EQ(m_list.CurrentColumn(), -1);
    for (int column = 0; column < 4; ++column)
        EXPECT_FALSE(LooksSunken(1, column)) << "no current cell before the first press";

    m_list.header()->moveSection(2, 1);  // the user drags column 2 in front of column 1
    ASSERT_EQ(m_list.ColumnPosition(2), 1);
    ASSERT_EQ(m_list.ColumnPosition(1), 2);
    EXPECT_EQ(m_list.ColumnPosition(7), -1);

    Press(3, 2);
    EXPECT_EQ(m_list.CurrentColumn(), 1);
    EXPECT_EQ(SelectedRow(&m_list), 3);
    EXPECT_TRUE(LooksSunken(3, 2));
    EXPECT_FALSE(LooksSunken(3, 1));
    EXPECT_FALSE(LooksSunken(1, 2)) << "only the focused row has a current cell";

    Press(3, 1);
    EXPECT_EQ(m_list.CurrentColumn(), 2);
    EXPECT_TRUE(LooksSunken(3, 1));
    EXPECT_FALSE(LooksSunken(3, 2));

    m_list.setCurrentItem(m_list.topLevelItem(0));  // the focus moves by keyboard: the cursor goes along
    EXPECT_TRUE(LooksSunken(0, 1));
    EXPECT_FALSE(LooksSunken(3, 1));
}

TEST_F(CellListTest, SecondPressOnTheSameCellOffersToEditIt)
{
    QSignalSpy edits(&m_list, &CCellList::BeginLabelEdit);
    m_list.header()->moveSection(3, 0);  // down calls first

    Press(2, 3);
    EXPECT_EQ(edits.count(), 0) << "the first press only focuses the row";
    Press(2, 3);
    ASSERT_EQ(edits.count(), 1);
    EXPECT_EQ(edits[0][0].toInt(), 2);
    EXPECT_EQ(edits[0][1].toInt(), 3) << "the column index, not its position";
    EXPECT_EQ(edits[0][2].toString(), "↓");

    Press(2, 2);
    EXPECT_EQ(edits.count(), 1) << "another column of the focused row is a first press";
    Press(1, 2);
    EXPECT_EQ(edits.count(), 1) << "the same column of another row is a first press";
    Press(1, 2);
    EXPECT_EQ(edits.count(), 2);
    EXPECT_EQ(edits[1][2].toString(), "↑");
}

TEST_F(CellListTest, PressOnColumnZeroOffersEditOnlyOnTheLabel)
{
    QPixmap icon(16, 16);
    icon.fill(Qt::blue);
    m_list.header()->resizeSection(0, 80);
    m_list.topLevelItem(4)->setIcon(0, icon);
    QSignalSpy edits(&m_list, &CCellList::BeginLabelEdit);
    const QRect cell = CellRect(4, 0);
    const QPoint onIcon(cell.left() + 8, cell.center().y());
    const QPoint onLabel(cell.right() - 10, cell.center().y());

    QTest::mouseClick(m_list.viewport(), Qt::LeftButton, {}, onLabel);
    QTest::mouseClick(m_list.viewport(), Qt::LeftButton, {}, onIcon);
    EXPECT_EQ(edits.count(), 0);
    QTest::mouseClick(m_list.viewport(), Qt::LeftButton, {}, onLabel);
    ASSERT_EQ(edits.count(), 1);
    EXPECT_EQ(edits[0][2].toString(), "1");
}

TEST_F(CellListTest, PressBelowTheRowsChangesNothing)
{
    Press(1, 1);
    QSignalSpy clicks(&m_list, &QAbstractItemView::clicked);
    QSignalSpy edits(&m_list, &CCellList::BeginLabelEdit);

    QTest::mouseClick(m_list.viewport(), Qt::LeftButton, {}, BelowTheRows());
    // A press below the rows dragged onto a row, or onto the cell pressed
    // before, and released there neither selects nor clicks.
    for (const QPoint end : {CellRect(1, 1).center(), CellRect(3, 2).center()}) {
        QTest::mousePress(m_list.viewport(), Qt::LeftButton, {}, BelowTheRows());
        QTest::mouseMove(m_list.viewport(), end);
        QTest::mouseRelease(m_list.viewport(), Qt::LeftButton, {}, end);
    }

    EXPECT_EQ(SelectedRow(&m_list), 1);
    EXPECT_EQ(m_list.currentIndex().row(), 1);
    EXPECT_EQ(m_list.CurrentColumn(), 1);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(edits.count(), 0);

    Press(1, 1);
    EXPECT_EQ(edits.count(), 1) << "the ignored presses did not disturb the cursor";
}

TEST_F(CellListTest, PressOnAPartlyHiddenColumnScrollsItToTheLeftEdge)
{
    QScrollBar* scroll = m_list.horizontalScrollBar();
    for (int column = 0; column < 4; ++column)
        m_list.header()->resizeSection(column, 60);
    m_list.resize(m_list.width() - m_list.viewport()->width() + 100, m_list.height());
    ASSERT_EQ(m_list.viewport()->width(), 100);
    m_list.header()->moveSection(3, 1);  // order 0, 3, 1, 2: column 3 stands at 60..120
    const int y = CellRect(0, 0).center().y();

    QTest::mouseClick(m_list.viewport(), Qt::LeftButton, {}, {70, y});
    EXPECT_EQ(m_list.CurrentColumn(), 1);
    EXPECT_EQ(scroll->value(), 60) << "column 3 now starts at the left edge";
    QTest::mouseClick(m_list.viewport(), Qt::LeftButton, {}, {30, y});
    EXPECT_EQ(scroll->value(), 60) << "a fully visible column does not scroll";

    m_list.EnsureColumnVisible(1);
    EXPECT_EQ(scroll->value(), 120);
    m_list.EnsureColumnVisible(3);
    EXPECT_EQ(scroll->value(), 60) << "scrolled back left";
    m_list.EnsureColumnVisible(-1);
    EXPECT_EQ(scroll->value(), 60);
}
