// The constant tables shared by the block decoder and encoder; they are part of the format.
#pragma once
#include <cstdint>

constexpr int STEP_TABLES     = 4;
constexpr int STEP_TABLE_SIZE = 64;
constexpr int MAX_STEP_INDEX  = STEP_TABLE_SIZE - 1;

extern const int32_t step_tables[STEP_TABLES][STEP_TABLE_SIZE];

// Added to the step index after a sample, indexed by the code's magnitude.
extern const int32_t index_adjust[STEP_TABLE_SIZE];
