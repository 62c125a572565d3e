// SPDX-License-Identifier: GPL-3.0-or-later
// The controls of the form framework: numeric edit, grid (65000 rows), flex grid, slider.
#include <gtest/gtest.h>

#include <algorithm>

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "ui/framework/GridCtrl.h"
#include "ui/framework/MSFlexGrid.h"
#include "ui/framework/NumericEdit.h"
#include "ui/framework/Slider.h"

namespace zul::test {

using namespace zul::ui;
namespace {

TEST(NumericEditTest, IntegerEditAcceptsOnlyWholeNumbers) {
    CNumericEdit edit;
    edit.SetKind(CNumericEdit::Kind::Integer);
    for (const char* invalid : {"", "   ", "abc", "1.5", "12a", "+", "99999999999"}) {
        edit.setText(QString::fromUtf8(invalid));
        EXPECT_FALSE(edit.HoldsValidNumber()) << invalid;
        EXPECT_FALSE(edit.IntValue().has_value()) << invalid;
    }
    edit.setText(" -42 ");
    EXPECT_TRUE(edit.HoldsValidNumber());
    EXPECT_EQ(edit.IntValue(), -42);
    edit.SetIntValue(7);
    EXPECT_EQ(edit.text(), "7");
}

TEST(NumericEditTest, RealEditParsesWithAPointAndShowsItsDecimals) {
    CNumericEdit edit;
    edit.SetKind(CNumericEdit::Kind::Real);
    edit.SetDecimals(3);
    edit.SetRealValue(1.25);
    EXPECT_EQ(edit.text(), "1.250");
    for (const char* valid : {"1.5", "-0.25", ".5", "3.", "1e-3", "+2"}) {
        edit.setText(QString::fromUtf8(valid));
        EXPECT_TRUE(edit.HoldsValidNumber()) << valid;
    }
    for (const char* invalid : {"1,5", "1.2.3", "-", "e5", "nan", "inf"}) {
        edit.setText(QString::fromUtf8(invalid));
        EXPECT_FALSE(edit.HoldsValidNumber()) << invalid;
    }
    edit.setText("-0.125");
    ASSERT_TRUE(edit.RealValue().has_value());
    EXPECT_DOUBLE_EQ(*edit.RealValue(), -0.125);
}

TEST(NumericEditTest, OutOfRangeIsMarkedAtOnceAndTheRangeIsNamed) {
    CNumericEdit edit;
    edit.SetKind(CNumericEdit::Kind::Integer);
    edit.SetRange(0, 100);
    edit.SetBaseToolTip("Count");
    QSignalSpy validity(&edit, &CNumericEdit::validityChanged);

    edit.setText("100");  // inclusive
    EXPECT_TRUE(edit.HoldsValidValue());
    EXPECT_TRUE(edit.styleSheet().isEmpty());

    edit.setText("101");
    EXPECT_TRUE(edit.HoldsValidNumber());
    EXPECT_FALSE(edit.IsInRange());
    EXPECT_FALSE(edit.styleSheet().isEmpty());
    EXPECT_TRUE(edit.toolTip().startsWith("Count\n"));
    EXPECT_TRUE(edit.toolTip().contains(QString::fromUtf8("[0 \xE2\x80\xA6 100]")));

    edit.setText("-1");
    EXPECT_FALSE(edit.IsInRange());
    edit.setText("0");
    EXPECT_TRUE(edit.HoldsValidValue());
    EXPECT_TRUE(edit.styleSheet().isEmpty());
    EXPECT_EQ(edit.toolTip(), "Count");

    // Typing through an empty text is not marked red, but it is not a valid value either.
    edit.clear();
    EXPECT_TRUE(edit.styleSheet().isEmpty());
    EXPECT_FALSE(edit.HoldsValidValue());

    // valid (100) -> invalid (101) -> valid (0) -> invalid (empty)
    ASSERT_EQ(validity.count(), 4);
    EXPECT_FALSE(validity.at(1).at(0).toBool());
    EXPECT_TRUE(validity.at(2).at(0).toBool());
}

TEST(GridTest, SixtyFiveThousandRowsWithColoursInOneReset) {
    CGridCtrl grid;
    CGridModel& model = grid.Model();
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    constexpr int kRows = 65000;
    model.BeginUpdate();
    model.SetSize(kRows, 3);
    for (int row = 0; row < kRows; ++row) {
        model.SetCellText(row, 0, QString::number(row + 1));
        model.SetCellText(row, 1, QString::number(row * 0.5, 'f', 3));
        if (row % 1000 == 999) {
            model.SetCellTextColor(row, 1, Qt::red);
        }
        if ((row / 100) % 2 == 1) {
            model.SetCellBackground(row, 2, Qt::green);
        }
    }
    model.EndUpdate();
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(changes.count(), 0);

    ASSERT_EQ(model.rowCount(), kRows);
    const QModelIndex last = model.index(kRows - 1, 1);
    EXPECT_EQ(model.data(last, Qt::DisplayRole).toString(), "32499.500");
    EXPECT_EQ(model.data(last, Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    EXPECT_FALSE(model.data(model.index(kRows - 2, 1), Qt::ForegroundRole).isValid());
    EXPECT_EQ(model.data(model.index(150, 2), Qt::BackgroundRole).value<QColor>(),
              QColor(Qt::green));
    EXPECT_FALSE(model.data(model.index(50, 2), Qt::BackgroundRole).isValid());
    EXPECT_EQ(model.headerData(kRows - 1, Qt::Vertical, Qt::DisplayRole).toInt(), kRows);

    // A single change outside a bulk update is reported for that cell.
    model.SetCellText(5, 0, "x");
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).value<QModelIndex>().row(), 5);

    grid.resize(400, 300);
    grid.show();
    grid.ScrollToRow(kRows - 1);
    EXPECT_EQ(grid.verticalScrollBar()->value(), grid.verticalScrollBar()->maximum());
    EXPECT_EQ(grid.rowAt(grid.viewport()->height() - 2), kRows - 1);
}

TEST(GridTest, VirtualModeAsksOnlyForTheCellsShown) {
    CGridCtrl grid;
    std::vector<int> asked;
    GridVirtualCells cells;
    cells.text = [&asked](int row, int column) {
        asked.push_back(row);
        return QStringLiteral("%1/%2").arg(row).arg(column);
    };
    cells.textColor = [](int row, int) { return row == 64999 ? QColor(Qt::red) : QColor(); };
    grid.Model().SetVirtual(65000, 2, std::move(cells));
    EXPECT_TRUE(asked.empty());  // filling formats nothing
    grid.resize(300, 200);
    grid.show();
    grid.ScrollToRow(64999);
    grid.grab();  // paints the whole widget
    ASSERT_FALSE(asked.empty());
    EXPECT_LT(asked.size(), 500u);  // only rows on screen
    EXPECT_EQ(*std::max_element(asked.begin(), asked.end()), 64999);
    CGridModel& model = grid.Model();
    EXPECT_EQ(model.data(model.index(64999, 1), Qt::DisplayRole).toString(), "64999/1");
    EXPECT_EQ(model.data(model.index(64999, 1), Qt::ForegroundRole).value<QColor>(),
              QColor(Qt::red));
    EXPECT_FALSE(model.data(model.index(3, 1), Qt::ForegroundRole).isValid());
    EXPECT_FALSE(model.data(model.index(3, 1), Qt::BackgroundRole).isValid());
    model.SetCellText(1, 1, "ignored");  // nothing is stored in virtual mode
    EXPECT_EQ(model.CellText(1, 1), "1/1");
    // Back to stored cells.
    model.SetSize(2, 2);
    EXPECT_FALSE(model.IsVirtual());
    EXPECT_TRUE(model.CellText(1, 1).isEmpty());
    model.SetCellText(1, 1, "kept");
    EXPECT_EQ(model.CellText(1, 1), "kept");
}

TEST(GridTest, ResizingKeepsTheCellsThatRemain) {
    CGridModel model;
    model.SetSize(2, 2);
    model.SetCellText(1, 1, "b");
    model.SetCellTextColor(1, 1, Qt::blue);
    model.SetSize(4, 3);
    EXPECT_EQ(model.CellText(1, 1), "b");
    EXPECT_EQ(model.CellTextColor(1, 1), QColor(Qt::blue));
    EXPECT_TRUE(model.CellText(3, 2).isEmpty());
    model.SetSize(1, 1);
    EXPECT_TRUE(model.CellText(1, 1).isEmpty());  // outside: nothing, no crash
    model.SetCellText(5, 5, "ignored");
    EXPECT_EQ(model.rowCount(), 1);
    model.SetColumnTitles({"item"});
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "item");
}

TEST(GridTest, FlexGridNamesAndFixedCells) {
    CMSFlexGrid grid;
    grid.SetRows(9);
    grid.SetCols(3);
    grid.SetFixedRows(1);
    grid.SetFixedCols(1);
    grid.SetTextMatrix(8, 2, "1024");
    EXPECT_EQ(grid.Rows(), 9);
    EXPECT_EQ(grid.Cols(), 3);
    EXPECT_EQ(grid.TextMatrix(8, 2), "1024");
    EXPECT_TRUE(grid.Model().CellBackground(0, 2).isValid());
    EXPECT_TRUE(grid.Model().CellBackground(5, 0).isValid());
    EXPECT_FALSE(grid.Model().CellBackground(5, 2).isValid());
}

TEST(SliderTest, PositionStaysInRangeAndIsReported) {
    CSlider slider;
    QSignalSpy moved(&slider, &CSlider::positionChanged);
    slider.SetRange(10, 0);  // reversed limits are put in order
    EXPECT_EQ(slider.minimum(), 0);
    EXPECT_EQ(slider.maximum(), 10);
    slider.SetPosition(25);
    EXPECT_EQ(slider.Position(), 10);
    slider.setFocus();
    QTest::keyClick(&slider, Qt::Key_Left);
    EXPECT_EQ(slider.Position(), 9);
    ASSERT_EQ(moved.count(), 2);
    EXPECT_EQ(moved.at(1).at(0).toInt(), 9);
}

}  // namespace
}  // namespace zul::test
