// The vector lanes of decode_blocks in WebAssembly: four blocks in the four 32-bit lanes of a
// 128-bit register, every lane taking decode_block's steps for its own block, as the AVX2 lanes
// of batch_decoder_vector.cpp do eight. WebAssembly has no gather and no per-lane shift: the
// step table is read lane by lane, and so is each block's window width, once per block.
#include "batch_decoder.h"

#include "decoder.h"
#include <wasm_simd128.h>

namespace {

constexpr int LANES = 4;

struct Group {
    v128_t first, range_high, range_low, table_base, min_index, start_index;
    // Per code: 2 * magnitude + 1, all bits set when the value moves down, the index change.
    v128_t odd[BLOCK_CODES], down[BLOCK_CODES], adjust[BLOCK_CODES];
    v128_t samples[BLOCK_SAMPLES];
};

// Rows become columns: element j of register i moves to element i of register j.
void transpose(v128_t r[4]) {
    const v128_t t0 = wasm_i32x4_shuffle(r[0], r[1], 0, 4, 1, 5);
    const v128_t t1 = wasm_i32x4_shuffle(r[0], r[1], 2, 6, 3, 7);
    const v128_t t2 = wasm_i32x4_shuffle(r[2], r[3], 0, 4, 1, 5);
    const v128_t t3 = wasm_i32x4_shuffle(r[2], r[3], 2, 6, 3, 7);
    r[0]            = wasm_i32x4_shuffle(t0, t2, 0, 1, 4, 5);
    r[1]            = wasm_i32x4_shuffle(t0, t2, 2, 3, 6, 7);
    r[2]            = wasm_i32x4_shuffle(t1, t3, 0, 1, 4, 5);
    r[3]            = wasm_i32x4_shuffle(t1, t3, 2, 3, 6, 7);
}

// The step of every lane: the lane's table at the lane's index.
v128_t look_up_steps(v128_t table_base, v128_t index) {
    const int32_t* steps = &step_tables[0][0];
    const v128_t at      = wasm_i32x4_add(table_base, index);
    return wasm_i32x4_make(
        steps[wasm_i32x4_extract_lane(at, 0)], steps[wasm_i32x4_extract_lane(at, 1)],
        steps[wasm_i32x4_extract_lane(at, 2)], steps[wasm_i32x4_extract_lane(at, 3)]);
}

// The index adjust table's entries for magnitudes 32..63 as bytes, 16 in each register, for byte
// swizzles to look up; magnitudes 0..31 all shrink the step by one.
struct AdjustRegisters {
    v128_t low, high;
};

AdjustRegisters load_adjust() {
    uint8_t low[16], high[16];
    for (int i = 0; i < 16; ++i) {
        low[i]  = uint8_t(index_adjust[32 + i]);
        high[i] = uint8_t(index_adjust[48 + i]);
    }
    return {wasm_v128_load(low), wasm_v128_load(high)};
}

// The block layout (see block_format.cpp) read from big-endian 32-bit words: word 0 holds
// first_sample, start_index, min_index and range_exponent, the top two bits of word 1
// table_select, and code k occupies the 7 bits from bit 39 + 7k, at most two words.
void load_group(const uint8_t* blocks, Group& g, const AdjustRegisters& adjust) {
    v128_t words[8];
    for (int half = 0; half < 2; ++half) {
        v128_t* rows = words + 4 * half;
        for (int i = 0; i < LANES; ++i) {
            const v128_t bytes = wasm_v128_load(blocks + i * BLOCK_BYTES + 16 * half);
            rows[i] = wasm_i8x16_shuffle(bytes, bytes, 3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14,
                                         13, 12);
        }
        transpose(rows);
    }

    const v128_t six_bits = wasm_i32x4_splat(0x3F);
    const v128_t one      = wasm_i32x4_splat(1);
    const v128_t exponent = wasm_v128_and(words[0], wasm_i32x4_splat(0x0F));
    const v128_t half     = wasm_i32x4_make((2 << wasm_i32x4_extract_lane(exponent, 0)) - 1,
                                            (2 << wasm_i32x4_extract_lane(exponent, 1)) - 1,
                                            (2 << wasm_i32x4_extract_lane(exponent, 2)) - 1,
                                            (2 << wasm_i32x4_extract_lane(exponent, 3)) - 1);
    g.first               = wasm_i32x4_shr(words[0], 16);
    g.range_high  = wasm_i32x4_min(wasm_i32x4_add(g.first, half), wasm_i32x4_splat(WINDOW_LIMIT));
    g.range_low   = wasm_i32x4_max(wasm_i32x4_sub(g.first, half), wasm_i32x4_splat(-WINDOW_LIMIT));
    g.table_base  = wasm_i32x4_shl(wasm_u32x4_shr(words[1], 30), 6); // 64 steps a table
    g.min_index   = wasm_v128_and(wasm_u32x4_shr(words[0], 4), six_bits);
    g.start_index = wasm_v128_and(wasm_u32x4_shr(words[0], 10), six_bits);
    g.samples[0]  = g.first;

    for (int k = 0; k < BLOCK_CODES; ++k) {
        const int bit    = 39 + 7 * k;
        const int offset = bit & 31;
        v128_t code      = wasm_i32x4_shl(words[bit >> 5], offset);
        if (offset > 25)
            code = wasm_v128_or(code, wasm_u32x4_shr(words[(bit >> 5) + 1], 32 - offset));
        code                   = wasm_u32x4_shr(code, 25);
        const v128_t magnitude = wasm_v128_and(code, six_bits);
        g.odd[k]               = wasm_i32x4_add(wasm_i32x4_add(magnitude, magnitude), one);
        g.down[k]              = wasm_i32x4_shr(wasm_i32x4_shl(code, 25), 31);
        // Magnitudes 32..63 look their change up byte-wise; a byte index out of its register's
        // 16 gives 0, so each magnitude finds its entry in one register and nothing in the other.
        const v128_t looked_up = wasm_v128_or(
            wasm_i8x16_swizzle(adjust.low, wasm_i32x4_sub(magnitude, wasm_i32x4_splat(32))),
            wasm_i8x16_swizzle(adjust.high, wasm_i32x4_sub(magnitude, wasm_i32x4_splat(48))));
        const v128_t change  = wasm_v128_and(looked_up, wasm_i32x4_splat(0xFF));
        const v128_t inTable = wasm_i32x4_gt(magnitude, wasm_i32x4_splat(31));
        g.adjust[k]          = wasm_v128_bitselect(change, wasm_i32x4_splat(-1), inTable);
    }
}

// One sample of every lane: the decoder's range test, amount, clamp and index change. The
// running value and step index stay in registers from one sample to the next.
void decode_sample(Group& g, int k, v128_t& value, v128_t& index) {
    const v128_t all        = wasm_i32x4_splat(-1);
    v128_t step             = look_up_steps(g.table_base, index);
    const v128_t twice      = wasm_i32x4_add(step, step);
    const v128_t high_limit = wasm_i32x4_sub(g.range_high, twice);
    const v128_t low_limit  = wasm_i32x4_add(g.range_low, twice);
    const v128_t below      = wasm_i32x4_gt(high_limit, value);
    const v128_t above      = wasm_i32x4_gt(value, low_limit);

    // The midpoint, rounded toward zero as a signed division by two rounds.
    const v128_t sum       = wasm_i32x4_add(g.first, value);
    const v128_t mid       = wasm_i32x4_shr(wasm_i32x4_add(sum, wasm_u32x4_shr(sum, 31)), 1);
    const v128_t not_above = wasm_v128_bitselect(low_limit, mid, below);
    const v128_t is_above  = wasm_v128_bitselect(value, high_limit, below);
    v128_t moved           = wasm_v128_bitselect(is_above, not_above, above);

    // Collapsed lanes step one index down, where there is one, before the amount is taken.
    const v128_t collapsed = wasm_v128_not(wasm_v128_or(below, above));
    const v128_t lower     = wasm_v128_and(collapsed, wasm_i32x4_gt(index, wasm_i32x4_splat(0)));
    if (wasm_v128_any_true(lower)) {
        index = wasm_i32x4_add(index, lower);
        step  = wasm_v128_bitselect(look_up_steps(g.table_base, index), step, lower);
    }

    const v128_t down   = g.down[k];
    const v128_t amount = wasm_i32x4_shr(wasm_i32x4_mul(g.odd[k], step), 6);
    moved               = wasm_i32x4_add(moved, wasm_i32x4_sub(wasm_v128_xor(amount, down), down));
    moved               = wasm_i32x4_min(wasm_i32x4_max(moved, wasm_i32x4_splat(-SAMPLE_LIMIT)),
                                         wasm_i32x4_splat(SAMPLE_LIMIT));

    // Inside: the table's change. At the low limit moving down, at the high limit moving
    // up, or collapsed: one index down.
    const v128_t use_adjust = wasm_v128_bitselect(wasm_v128_or(above, wasm_v128_not(down)),
                                                  wasm_v128_and(above, down), below);
    const v128_t change     = wasm_v128_bitselect(g.adjust[k], all, use_adjust);
    index                   = wasm_i32x4_max(wasm_i32x4_add(index, change), g.min_index);
    index                   = wasm_i32x4_min(index, wasm_i32x4_splat(MAX_STEP_INDEX));
    value                   = moved;
    g.samples[k + 1]        = moved;
}

// The samples back in block order, eight per lane at a time, narrowed to 16 bits (every
// decoded value fits them, so the saturating narrowing changes none).
void store_group(Group& g, int16_t* out) {
    for (int k = 0; k < BLOCK_SAMPLES; k += 8) {
        v128_t* first  = g.samples + k;
        v128_t* second = g.samples + k + 4;
        transpose(first);
        transpose(second);
        for (int lane = 0; lane < LANES; ++lane)
            wasm_v128_store(out + lane * BLOCK_SAMPLES + k,
                            wasm_i16x8_narrow_i32x4(first[lane], second[lane]));
    }
}

} // namespace

// Two groups at a time, so that one group's table lookups wait while the other computes.
size_t decode_blocks_vector(const uint8_t* blocks, size_t count, int16_t* out) {
    const AdjustRegisters adjust   = load_adjust();
    constexpr size_t GROUP_BYTES   = LANES * BLOCK_BYTES;
    constexpr size_t GROUP_SAMPLES = LANES * BLOCK_SAMPLES;
    const size_t groups            = count / LANES;
    Group a, b;
    size_t i = 0;
    for (; i + 2 <= groups; i += 2) {
        load_group(blocks + i * GROUP_BYTES, a, adjust);
        load_group(blocks + (i + 1) * GROUP_BYTES, b, adjust);
        v128_t value_a = a.first, index_a = a.start_index;
        v128_t value_b = b.first, index_b = b.start_index;
        for (int k = 0; k < BLOCK_CODES; ++k) {
            decode_sample(a, k, value_a, index_a);
            decode_sample(b, k, value_b, index_b);
        }
        store_group(a, out + i * GROUP_SAMPLES);
        store_group(b, out + (i + 1) * GROUP_SAMPLES);
    }
    if (i < groups) {
        load_group(blocks + i * GROUP_BYTES, a, adjust);
        v128_t value = a.first, index = a.start_index;
        for (int k = 0; k < BLOCK_CODES; ++k)
            decode_sample(a, k, value, index);
        store_group(a, out + i * GROUP_SAMPLES);
    }
    return groups * LANES;
}
