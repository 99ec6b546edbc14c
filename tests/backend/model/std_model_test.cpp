#include "backend_test_tables.h"
#include "instance/cell_rules.h"
#include "instance/instance.h"
#include "model/std_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using vrn::test::Row;

TEST(StdModel, ClassicalHasFourRowsAndNewTwoPerSensitiveCell)
{
    const vrn::Instance table = Row();
    vrn::StdModelSettings settings;
    settings.kind = vrn::StdModelKind::Classical;
    const auto classical = vrn::BuildStdModel(table, settings);
    EXPECT_EQ(classical.mip.RowCount(), 1 + 4);
    EXPECT_EQ(classical.mip.ColumnCount(), 3 * 2 + 1);
    EXPECT_EQ(classical.mip.IntegerCount(), 1);
    settings.kind = vrn::StdModelKind::New;
    EXPECT_EQ(vrn::BuildStdModel(table, settings).mip.RowCount(), 1 + 2);
    settings.kind = vrn::StdModelKind::Automatic;
    EXPECT_EQ(vrn::BuildStdModel(table, settings).kind, vrn::StdModelKind::Classical);
}

TEST(StdModel, ZCellsGetNoColumnsAndKeepTheirValue)
{
    vrn::Instance table = Row();
    table.cells[2].status = 'z';
    const auto model = vrn::BuildStdModel(table, {});
    EXPECT_EQ(model.colPlus[2], -1);
    EXPECT_EQ(model.mip.ColumnCount(), 2 * 2 + 1);
    const std::vector<double> adjusted = model.AdjustedValues(table, std::vector<double>(5, 0.5));
    EXPECT_EQ(adjusted[2], 6);
    EXPECT_EQ(adjusted[1], 4);
}

TEST(StdModel, RightHandSideKeepsOrDropsTheOriginalResidual)
{
    vrn::Instance table = Row();
    table.rhs[0] = 3; // the original is off by 3
    vrn::StdModelSettings settings;
    auto additive = vrn::BuildStdModel(table, settings);
    EXPECT_EQ(additive.mip.rowLower[0], 3);
    settings.additive = false;
    auto kept = vrn::BuildStdModel(table, settings);
    EXPECT_EQ(kept.mip.rowLower[0], 0);
    EXPECT_EQ(kept.mip.rowUpper[0], 0);
}

TEST(StdModel, PrepsensFixesCellsThatCanMoveOneWayOnly)
{
    // Upper bound 5: cell 1 (value 4) cannot move up by 2, so it must move down.
    const vrn::Instance table = Row('u', 1, 2, 5);
    vrn::StdModelSettings settings;
    settings.prepSens = true;
    const auto model = vrn::BuildStdModel(table, settings);
    EXPECT_EQ(model.fixedDown, 1);
    EXPECT_EQ(model.mip.IntegerCount(), 0);
    EXPECT_EQ(model.mip.colLower[model.colMinus[1]], 1);
    EXPECT_EQ(model.mip.colUpper[model.colPlus[1]], 0);
    settings.prepSens = false;
    EXPECT_EQ(vrn::BuildStdModel(table, settings).mip.IntegerCount(), 1);
}

TEST(StdModel, ScaleDividesTheModelAndAdjustedValuesComeBackInOriginalUnits)
{
    const vrn::Instance table = Row();
    vrn::StdModelSettings settings;
    settings.scale = 10;
    settings.big = 1000;
    const auto model = vrn::BuildStdModel(table, settings);
    EXPECT_EQ(model.mip.colUpper[model.colPlus[0]], 9);
    settings.big = -1; // automatic: 2 * 10 + 2 * 2 + 1 caps the change of cell 0 at 25
    EXPECT_EQ(vrn::BuildStdModel(table, settings).mip.colUpper[model.colPlus[0]], 2.5);
    std::vector<double> solution(static_cast<size_t>(model.mip.ColumnCount()), 0);
    solution[model.colPlus[1]] = 0.2;
    EXPECT_DOUBLE_EQ(model.AdjustedValues(table, solution)[1], 6);
}

TEST(StdModel, IntegerCellsMakeDeviationsIntegerOrAddAValueColumn)
{
    vrn::Instance table = Row();
    table.cells[2].value = 6.5;
    vrn::StdModelSettings settings;
    settings.integerCells = true;
    settings.scale = 10;
    settings.big = 1000;
    const auto model = vrn::BuildStdModel(table, settings);
    EXPECT_EQ(model.scale, 1);
    EXPECT_TRUE(model.mip.isInteger[model.colPlus[0]]);
    EXPECT_GE(model.colValue[2], 0);
    EXPECT_TRUE(model.mip.isInteger[model.colValue[2]]);
    EXPECT_EQ(model.mip.colLower[model.colValue[2]], 0);
    EXPECT_EQ(model.mip.colUpper[model.colValue[2]], 100);
}

TEST(StdModel, AutomaticScaleAndBig)
{
    vrn::Instance table = Row();
    EXPECT_EQ(vrn::AutomaticScale(table), 1);
    table.cells[0].value = 123456;
    EXPECT_EQ(vrn::AutomaticScale(table), 1000);
    EXPECT_EQ(vrn::AutomaticBig(table), 2 * 123456 + 2 * 2 + 1);
}

} // namespace
