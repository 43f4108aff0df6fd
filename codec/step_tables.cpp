// The step tables and the index adjust table. Their numbers are part of the block format: a
// block decodes correctly only with exactly these values. Each row holds 16 consecutive indices.
#include "step_tables.h"

// clang-format off
extern constexpr int32_t step_tables[STEP_TABLES][STEP_TABLE_SIZE] = {
    // Table 0: about x1.1 per index.
    {    2,     3,     3,     3,     3,     4,     4,     4,     5,     5,     6,     6,     7,     7,     8,     9,
        10,    11,    12,    13,    14,    15,    17,    18,    20,    22,    24,    27,    29,    32,    35,    39,
        43,    47,    52,    57,    62,    69,    75,    83,    91,   100,   110,   121,   133,   146,   161,   177,
       195,   214,   235,   259,   285,   313,   344,   379,   417,   458,   504,   554,   610,   671,   738,   811},
    // Table 1: about x1.075 per index.
    {   29,    32,    34,    37,    39,    42,    45,    49,    52,    56,    60,    65,    70,    75,    80,    86,
        93,   100,   107,   115,   124,   133,   143,   154,   166,   178,   191,   206,   221,   238,   255,   274,
       295,   317,   341,   367,   394,   424,   455,   490,   526,   566,   608,   654,   703,   756,   813,   874,
       939,  1010,  1086,  1167,  1255,  1349,  1450,  1559,  1677,  1802,  1938,  2083,  2240,  2408,  2589,  2783},
    // Table 2: about x1.05 per index.
    {  442,   465,   488,   512,   538,   565,   593,   622,   653,   686,   720,   756,   794,   834,   875,   919,
       965,  1013,  1064,  1117,  1173,  1232,  1293,  1358,  1426,  1497,  1572,  1650,  1733,  1819,  1910,  2005,
      2106,  2211,  2321,  2437,  2559,  2687,  2821,  2962,  3110,  3266,  3429,  3600,  3780,  3969,  4168,  4376,
      4595,  4824,  5065,  5319,  5584,  5864,  6157,  6464,  6787,  7127,  7483,  7857,  8250,  8662,  9095,  9549},
    // Table 3: about x1.025 per index.
    { 6916,  7089,  7267,  7448,  7634,  7825,  8021,  8221,  8427,  8638,  8853,  9075,  9302,  9534,  9773, 10017,
     10267, 10524, 10787, 11057, 11333, 11616, 11907, 12204, 12509, 12822, 13143, 13471, 13808, 14153, 14507, 14870,
     15241, 15622, 16013, 16413, 16823, 17244, 17675, 18117, 18570, 19034, 19510, 19998, 20497, 21010, 21535, 22073,
     22625, 23191, 23771, 24365, 24974, 25598, 26238, 26894, 27566, 28256, 28962, 29686, 30428, 31189, 31968, 32767},
};

// Indexed by a code's magnitude: magnitudes 0..31 shrink the step by one index, the rest grow it.
extern constexpr int32_t index_adjust[STEP_TABLE_SIZE] = {
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
     1,  1,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,  7,  7,
     8,  8,  9,  9, 10, 10, 11, 12, 13, 13, 14, 15, 16, 17, 18, 19,
};
// clang-format on

namespace {

// A row with missing initialisers would leave zeros behind, which neither table ever holds.
constexpr bool every_entry_given() {
    for (const auto& table : step_tables)
        for (int32_t step : table)
            if (step == 0) return false;
    for (int32_t adjust : index_adjust)
        if (adjust == 0) return false;
    return true;
}

// Sum of (index + 1) x entry, taken from the format's own tables: a mistyped or swapped entry
// changes it even where the table still rises.
constexpr int64_t weighted_sum(const int32_t (&table)[STEP_TABLE_SIZE]) {
    int64_t sum = 0;
    for (int i = 0; i < STEP_TABLE_SIZE; ++i)
        sum += int64_t(i + 1) * table[i];
    return sum;
}

static_assert(every_entry_given(), "a table row is short of entries");
static_assert(weighted_sum(step_tables[0]) == 482904, "step table 0 differs from the format");
static_assert(weighted_sum(step_tables[1]) == 2024760, "step table 1 differs from the format");
static_assert(weighted_sum(step_tables[2]) == 9002439, "step table 2 differs from the format");
static_assert(weighted_sum(step_tables[3]) == 43309324, "step table 3 differs from the format");
static_assert(weighted_sum(index_adjust) == 13642,
              "the index adjust table differs from the format");
static_assert(step_tables[STEP_TABLES - 1][MAX_STEP_INDEX] == 32767, "the largest step is 32767");

} // namespace
