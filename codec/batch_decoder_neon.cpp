// The vector lanes of decode_blocks on 64-bit ARM: four blocks in the four 32-bit lanes of a
// 128-bit NEON register, every lane taking decode_block's steps for its own block, as the AVX2
// lanes of batch_decoder_vector.cpp do eight. Every aarch64 processor has NEON. It has no
// gather: the step table is read lane by lane.
#include "batch_decoder.h"

#include "decoder.h"
#include <arm_neon.h>

namespace {

constexpr int LANES = 4;

// The steps of the sample loop are inlined into it, so that the running values and indexes stay
// in registers; GCC called them, and passed them through memory.
#define LANE_STEP __attribute__((always_inline)) inline

struct Group {
    int32x4_t first, range_high, range_low, table_base, min_index, start_index;
    // Per code: 2 * magnitude + 1, the index change, all bits set when the value moves down.
    int32x4_t odd[BLOCK_CODES], adjust[BLOCK_CODES];
    uint32x4_t down[BLOCK_CODES];
    int32x4_t samples[BLOCK_SAMPLES];
};

// Rows become columns: element j of register i moves to element i of register j.
void transpose(int32x4_t r[4]) {
    const int64x2_t t0 = vreinterpretq_s64_s32(vtrn1q_s32(r[0], r[1]));
    const int64x2_t t1 = vreinterpretq_s64_s32(vtrn2q_s32(r[0], r[1]));
    const int64x2_t t2 = vreinterpretq_s64_s32(vtrn1q_s32(r[2], r[3]));
    const int64x2_t t3 = vreinterpretq_s64_s32(vtrn2q_s32(r[2], r[3]));
    r[0]               = vreinterpretq_s32_s64(vtrn1q_s64(t0, t2));
    r[1]               = vreinterpretq_s32_s64(vtrn1q_s64(t1, t3));
    r[2]               = vreinterpretq_s32_s64(vtrn2q_s64(t0, t2));
    r[3]               = vreinterpretq_s32_s64(vtrn2q_s64(t1, t3));
}

// The step of every lane: the lane's table at the lane's index, loaded into its lane.
LANE_STEP int32x4_t look_up_steps(int32x4_t table_base, int32x4_t index) {
    const int32_t* steps = &step_tables[0][0];
    const int32x4_t at   = vaddq_s32(table_base, index);
    int32x4_t step       = vld1q_dup_s32(steps + vgetq_lane_s32(at, 0));
    step                 = vld1q_lane_s32(steps + vgetq_lane_s32(at, 1), step, 1);
    step                 = vld1q_lane_s32(steps + vgetq_lane_s32(at, 2), step, 2);
    return vld1q_lane_s32(steps + vgetq_lane_s32(at, 3), step, 3);
}

// The index adjust table's entries for magnitudes 32..63 as bytes, 16 in each register, for
// byte table lookups; magnitudes 0..31 all shrink the step by one.
struct AdjustRegisters {
    uint8x16_t low, high;
};

AdjustRegisters load_adjust() {
    uint8_t low[16], high[16];
    for (int i = 0; i < 16; ++i) {
        low[i]  = uint8_t(index_adjust[32 + i]);
        high[i] = uint8_t(index_adjust[48 + i]);
    }
    return {vld1q_u8(low), vld1q_u8(high)};
}

// x shifted left by bits, or right by -bits, in every lane.
uint32x4_t shift(uint32x4_t x, int bits) {
    return vshlq_u32(x, vdupq_n_s32(bits));
}

// The block layout (see block_format.cpp) read from big-endian 32-bit words: word 0 holds
// first_sample, start_index, min_index and range_exponent, the top two bits of word 1
// table_select, and code k occupies the 7 bits from bit 39 + 7k, at most two words.
void load_group(const uint8_t* blocks, Group& g, const AdjustRegisters& adjust) {
    uint32x4_t words[8];
    for (int half = 0; half < 2; ++half) {
        int32x4_t rows[LANES];
        for (int i = 0; i < LANES; ++i)
            rows[i] =
                vreinterpretq_s32_u8(vrev32q_u8(vld1q_u8(blocks + i * BLOCK_BYTES + 16 * half)));
        transpose(rows);
        for (int i = 0; i < LANES; ++i)
            words[4 * half + i] = vreinterpretq_u32_s32(rows[i]);
    }

    const uint32x4_t six_bits = vdupq_n_u32(0x3F);
    const int32x4_t one       = vdupq_n_s32(1);
    const int32x4_t exponent  = vreinterpretq_s32_u32(vandq_u32(words[0], vdupq_n_u32(0x0F)));
    const int32x4_t half      = vsubq_s32(vshlq_s32(vdupq_n_s32(2), exponent), one);
    g.first                   = vshrq_n_s32(vreinterpretq_s32_u32(words[0]), 16);
    g.range_high              = vminq_s32(vaddq_s32(g.first, half), vdupq_n_s32(WINDOW_LIMIT));
    g.range_low               = vmaxq_s32(vsubq_s32(g.first, half), vdupq_n_s32(-WINDOW_LIMIT));
    g.table_base  = vreinterpretq_s32_u32(vshlq_n_u32(vshrq_n_u32(words[1], 30), 6)); // 64 a table
    g.min_index   = vreinterpretq_s32_u32(vandq_u32(vshrq_n_u32(words[0], 4), six_bits));
    g.start_index = vreinterpretq_s32_u32(vandq_u32(vshrq_n_u32(words[0], 10), six_bits));
    g.samples[0]  = g.first;

    for (int k = 0; k < BLOCK_CODES; ++k) {
        const int bit    = 39 + 7 * k;
        const int offset = bit & 31;
        uint32x4_t code  = shift(words[bit >> 5], offset);
        if (offset > 25) code = vorrq_u32(code, shift(words[(bit >> 5) + 1], offset - 32));
        code                       = vshrq_n_u32(code, 25);
        const uint32x4_t magnitude = vandq_u32(code, six_bits);
        g.odd[k]  = vaddq_s32(vreinterpretq_s32_u32(vaddq_u32(magnitude, magnitude)), one);
        g.down[k] = vtstq_u32(code, vdupq_n_u32(CODE_SIGN));
        // Magnitudes 32..63 look their change up byte-wise; a byte index out of its register's
        // 16 gives 0, so each magnitude finds its entry in one register and nothing in the other.
        const uint8x16_t looked_up = vorrq_u8(
            vqtbl1q_u8(adjust.low, vreinterpretq_u8_u32(vsubq_u32(magnitude, vdupq_n_u32(32)))),
            vqtbl1q_u8(adjust.high, vreinterpretq_u8_u32(vsubq_u32(magnitude, vdupq_n_u32(48)))));
        const int32x4_t change =
            vreinterpretq_s32_u32(vandq_u32(vreinterpretq_u32_u8(looked_up), vdupq_n_u32(0xFF)));
        const uint32x4_t in_table = vcgtq_u32(magnitude, vdupq_n_u32(31));
        g.adjust[k]               = vbslq_s32(in_table, change, vdupq_n_s32(-1));
    }
}

// One sample of every lane: the decoder's range test, amount, clamp and index change. The
// running value and step index stay in registers from one sample to the next.
LANE_STEP void decode_sample(Group& g, int k, int32x4_t& value, int32x4_t& index) {
    int32x4_t step             = look_up_steps(g.table_base, index);
    const int32x4_t twice      = vaddq_s32(step, step);
    const int32x4_t high_limit = vsubq_s32(g.range_high, twice);
    const int32x4_t low_limit  = vaddq_s32(g.range_low, twice);
    const uint32x4_t below     = vcgtq_s32(high_limit, value);
    const uint32x4_t above     = vcgtq_s32(value, low_limit);

    // The midpoint, rounded toward zero as a signed division by two rounds.
    const int32x4_t sum = vaddq_s32(g.first, value);
    const int32x4_t mid = vshrq_n_s32(
        vaddq_s32(sum, vreinterpretq_s32_u32(vshrq_n_u32(vreinterpretq_u32_s32(sum), 31))), 1);
    const int32x4_t not_above = vbslq_s32(below, low_limit, mid);
    const int32x4_t is_above  = vbslq_s32(below, value, high_limit);
    int32x4_t moved           = vbslq_s32(above, is_above, not_above);

    // Collapsed lanes step one index down, where there is one, before the amount is taken.
    const uint32x4_t collapsed = vmvnq_u32(vorrq_u32(below, above));
    const uint32x4_t lower     = vandq_u32(collapsed, vcgtzq_s32(index));
    if (vmaxvq_u32(lower) != 0) {
        index = vaddq_s32(index, vreinterpretq_s32_u32(lower));
        step  = vbslq_s32(lower, look_up_steps(g.table_base, index), step);
    }

    const uint32x4_t down  = g.down[k];
    const int32x4_t amount = vshrq_n_s32(vmulq_s32(g.odd[k], step), 6);
    moved                  = vbslq_s32(down, vsubq_s32(moved, amount), vaddq_s32(moved, amount));
    moved = vminq_s32(vmaxq_s32(moved, vdupq_n_s32(-SAMPLE_LIMIT)), vdupq_n_s32(SAMPLE_LIMIT));

    // Inside: the table's change. At the low limit moving down, at the high limit moving
    // up, or collapsed: one index down.
    const uint32x4_t use_adjust = vbslq_u32(below, vornq_u32(above, down), vandq_u32(above, down));
    const int32x4_t change      = vbslq_s32(use_adjust, g.adjust[k], vdupq_n_s32(-1));
    index                       = vmaxq_s32(vaddq_s32(index, change), g.min_index);
    index                       = vminq_s32(index, vdupq_n_s32(MAX_STEP_INDEX));
    value                       = moved;
    g.samples[k + 1]            = moved;
}

// The samples back in block order, eight per lane at a time, narrowed to 16 bits (every
// decoded value fits them, so the saturating narrowing changes none).
void store_group(Group& g, int16_t* out) {
    for (int k = 0; k < BLOCK_SAMPLES; k += 8) {
        int32x4_t* first  = g.samples + k;
        int32x4_t* second = g.samples + k + 4;
        transpose(first);
        transpose(second);
        for (int lane = 0; lane < LANES; ++lane)
            vst1q_s16(out + lane * BLOCK_SAMPLES + k,
                      vcombine_s16(vqmovn_s32(first[lane]), vqmovn_s32(second[lane])));
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
        int32x4_t value_a = a.first, index_a = a.start_index;
        int32x4_t value_b = b.first, index_b = b.start_index;
        for (int k = 0; k < BLOCK_CODES; ++k) {
            decode_sample(a, k, value_a, index_a);
            decode_sample(b, k, value_b, index_b);
        }
        store_group(a, out + i * GROUP_SAMPLES);
        store_group(b, out + (i + 1) * GROUP_SAMPLES);
    }
    if (i < groups) {
        load_group(blocks + i * GROUP_BYTES, a, adjust);
        int32x4_t value = a.first, index = a.start_index;
        for (int k = 0; k < BLOCK_CODES; ++k)
            decode_sample(a, k, value, index);
        store_group(a, out + i * GROUP_SAMPLES);
    }
    return groups * LANES;
}
