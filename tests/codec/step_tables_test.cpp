#include "step_tables.h"
#include <cmath>
#include <gtest/gtest.h>

namespace {

struct TableShape {
    double growth; // step ratio from one index to the next
    bool strictly; // every entry above the one before it
};

const TableShape shapes[STEP_TABLES] = {{1.1, false}, {1.075, true}, {1.05, true}, {1.025, true}};

TEST(StepTables, RiseByANearlyConstantFactor) {
    for (int t = 0; t < STEP_TABLES; ++t) {
        SCOPED_TRACE(::testing::Message() << "table " << t);
        const int32_t* steps = step_tables[t];
        for (int i = 1; i < STEP_TABLE_SIZE; ++i) {
            EXPECT_GE(steps[i], steps[i - 1]) << "index " << i;
            if (shapes[t].strictly) {
                EXPECT_GT(steps[i], steps[i - 1]) << "index " << i;
            }
            // Rounding dominates small steps; from 100 up the ratio must hold closely.
            if (steps[i - 1] >= 100) {
                EXPECT_NEAR(double(steps[i]) / steps[i - 1], shapes[t].growth, 0.006)
                    << "index " << i;
            }
        }
        const double overall = std::pow(double(steps[MAX_STEP_INDEX]) / steps[0], 1.0 / 63);
        EXPECT_NEAR(overall, shapes[t].growth, 0.001);
    }
}

TEST(StepTables, EndPoints) {
    EXPECT_EQ(step_tables[0][0], 2);
    EXPECT_EQ(step_tables[3][MAX_STEP_INDEX], 32767);
    EXPECT_EQ(step_tables[0][1], step_tables[0][4]); // table 0 repeats values at the low end
    // The encoder's table thresholds: the largest steps of tables 0 to 2.
    EXPECT_EQ(step_tables[0][MAX_STEP_INDEX], 811);
    EXPECT_EQ(step_tables[1][MAX_STEP_INDEX], 2783);
    EXPECT_EQ(step_tables[2][MAX_STEP_INDEX], 9549);
}

// Sums of each row of 16 entries: a mistyped entry shows up in its row.
const int32_t step_row_sums[STEP_TABLES][4] = {
    {79, 338, 1527, 6987},
    {851, 2698, 8583, 27335},
    {10462, 22827, 49802, 108682},
    {134040, 198978, 295375, 438478},
};
const int32_t adjust_row_sums[4] = {-16, -16, 58, 202};

int32_t row_sum(const int32_t* table, int row) {
    int32_t sum = 0;
    for (int i = 16 * row; i < 16 * row + 16; ++i)
        sum += table[i];
    return sum;
}

TEST(StepTables, RowSums) {
    for (int row = 0; row < 4; ++row) {
        for (int t = 0; t < STEP_TABLES; ++t)
            EXPECT_EQ(row_sum(step_tables[t], row), step_row_sums[t][row]) << "table " << t;
        EXPECT_EQ(row_sum(index_adjust, row), adjust_row_sums[row]) << "adjust row " << row;
    }
}

TEST(IndexAdjust, SmallMagnitudesShrinkLargeOnesGrow) {
    for (int m = 0; m < 32; ++m)
        EXPECT_EQ(index_adjust[m], -1) << "magnitude " << m;
    EXPECT_EQ(index_adjust[32], 1);
    for (int m = 33; m < STEP_TABLE_SIZE; ++m) {
        EXPECT_GE(index_adjust[m], index_adjust[m - 1]) << "magnitude " << m;
        EXPECT_LE(index_adjust[m], index_adjust[m - 1] + 1) << "magnitude " << m;
    }
    EXPECT_EQ(index_adjust[MAX_STEP_INDEX], 19);
}

} // namespace
