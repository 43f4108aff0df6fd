// Block encoder: derives the header from statistics of the 32 samples, then picks each code
// while it runs the decoder's own steps, so its running value is what the decoder will produce.
#include "encoder.h"
#include "decoder.h"
#include "step_tables.h"

namespace {

uint32_t distance(int32_t a, int32_t b) {
    return static_cast<uint32_t>(a > b ? a - b : b - a);
}

// Splits a difference into a sign and a magnitude of step / 32 intervals, capped at 63.
uint8_t quantise(int32_t diff, int32_t step) {
    const uint8_t sign      = diff < 0 ? CODE_SIGN : 0;
    const int32_t magnitude = (diff < 0 ? -diff : diff) * 32 / step;
    return static_cast<uint8_t>(sign | (magnitude > CODE_MAGNITUDE ? CODE_MAGNITUDE : magnitude));
}

void analyse_samples(const int16_t samples[BLOCK_SAMPLES], CodecState& state) {
    state.header.first_sample = samples[0];
    state.first_delta         = distance(samples[1], samples[0]);
    state.max_delta           = 0;
    state.max_deviation       = 0;
    uint32_t sum              = 0;
    for (int i = 1; i < BLOCK_SAMPLES; ++i) {
        const uint32_t delta     = distance(samples[i], samples[i - 1]);
        const uint32_t deviation = distance(samples[i], samples[0]);
        if (delta > state.max_delta) state.max_delta = delta;
        if (deviation > state.max_deviation) state.max_deviation = deviation;
        sum += delta;
    }
    state.mean_delta = sum >> 5; // over 32, not the 31 differences
}

// The smallest table whose largest step reaches about 4/7 of the largest difference.
void choose_table(CodecState& state) {
    const uint32_t d = state.max_delta;
    const uint32_t r = (d * 73 + ((d * 9362) >> 16)) >> 7;
    uint8_t table    = 0;
    while (table < STEP_TABLES - 1 && r > static_cast<uint32_t>(step_tables[table][MAX_STEP_INDEX]))
        ++table;
    state.header.table_select = table;
}

// The position of the highest set bit of max_deviation, so that the window covers every sample.
void choose_range_exponent(CodecState& state) {
    uint32_t v = state.max_deviation;
    uint8_t e  = 0;
    if (v > 255) {
        e += 8;
        v >>= 8;
    }
    if (v > 15) {
        e += 4;
        v >>= 4;
    }
    if (v > 3) {
        e += 2;
        v >>= 2;
    }
    if (v > 1) e += 1;
    state.header.range_exponent = e;
}

// The number of entries 0..62 of the chosen table that are <= a, by bisection; entry 63 is
// never compared.
int32_t find_step_index(uint32_t a, const CodecState& state) {
    const int32_t* table = step_tables[state.header.table_select];
    int32_t low          = 0;
    int32_t high         = MAX_STEP_INDEX;
    while (low < high) {
        const int32_t middle = (low + high) / 2;
        if (static_cast<uint32_t>(table[middle]) <= a)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

// The lowest index has a step of just under half the largest difference.
void choose_min_index(CodecState& state) {
    const uint32_t d       = state.max_delta;
    const uint32_t r2      = (d * 63 + ((d * 32509) >> 16)) >> 7;
    state.header.min_index = static_cast<uint8_t>(find_step_index(r2, state));
}

// The opening difference sets the first step only when it stands out from the average one.
void choose_start_index(CodecState& state) {
    const uint32_t f =
        state.first_delta > 2 * state.mean_delta ? state.first_delta : state.mean_delta;
    const int32_t s = find_step_index(f, state);
    state.header.start_index =
        static_cast<uint8_t>(s < state.header.min_index ? state.header.min_index : s);
}

// The code loop: chooses the 31 codes while following the decoder's running value, which it
// leaves in running[0..31].
void choose_codes(const int16_t samples[BLOCK_SAMPLES], uint8_t codes[BLOCK_CODES],
                  int16_t running[BLOCK_SAMPLES], CodecState& state) {
    int32_t value    = state.header.first_sample;
    running[0]       = state.header.first_sample;
    state.step_index = state.header.start_index;
    for (int i = 1; i < BLOCK_SAMPLES; ++i) {
        const RangeOutcome outcome = range_test(value, state);
        const int32_t step         = state.table[state.step_index];
        const uint8_t code         = quantise(samples[i] - value, step);
        const int32_t sign         = code & CODE_SIGN;
        const int32_t magnitude    = code & CODE_MAGNITUDE;
        value                      = add_clamped(value, dequantise(magnitude, step), sign);
        adapt_index(outcome, sign, magnitude, state);
        codes[i - 1] = code;
        running[i]   = static_cast<int16_t>(value);
    }
}

} // namespace

void encode_block(const int16_t samples[BLOCK_SAMPLES], uint8_t block[BLOCK_BYTES],
                  CodecState& state, int16_t running[BLOCK_SAMPLES]) {
    analyse_samples(samples, state);
    choose_table(state);
    choose_range_exponent(state);
    choose_min_index(state);
    choose_start_index(state);
    prepare_block(state);
    uint8_t codes[BLOCK_CODES];
    int16_t scratch[BLOCK_SAMPLES];
    choose_codes(samples, codes, running ? running : scratch, state);
    pack_block(state.header, codes, block);
}
