// The vector lanes of decode_blocks: eight blocks in the eight 32-bit lanes of AVX2 registers,
// every lane taking decode_block's steps for its own block, or sixteen in AVX-512 registers. Built
// where the compiler can target AVX2 for one function at a time; it runs only when the processor
// has AVX2, and the sixteen-lane part when it also has AVX-512F and BW. The groups of lanes live
// on the stack, where the Windows builds cannot count on 32- or 64-byte alignment: there the
// assembler turns every aligned vector move into its unaligned form (see CMakeLists.txt).
#include "batch_decoder.h"

#include "decoder.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define HAVE_AVX2_PATH 1
// GCC 12 takes the undefined source operand of the unmasked 512-bit intrinsics for an
// uninitialised variable (fixed in GCC 13); it reports it inside the header. Clang has no such
// warning to silence.
#pragma GCC diagnostic push
#ifndef __clang__
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#pragma GCC diagnostic pop
#endif

#ifdef HAVE_AVX2_PATH

namespace {

constexpr int LANES = 8;

#define AVX2 __attribute__((target("avx2"), always_inline)) inline

// Eight blocks side by side: lane l of every register belongs to the l-th block.
struct Group {
    __m256i first, range_high, range_low, table_base, min_index;
    // Per code: 2 * magnitude + 1, all bits set when the value moves down, the index change.
    __m256i odd[BLOCK_CODES], down[BLOCK_CODES], adjust[BLOCK_CODES];
    __m256i start_index;
    __m256i samples[BLOCK_SAMPLES];
};

// Rows become columns: element j of register i moves to element i of register j.
AVX2 void transpose(__m256i r[8]) {
    __m256i t[8], s[8];
    for (int i = 0; i < 8; i += 2) {
        t[i]     = _mm256_unpacklo_epi32(r[i], r[i + 1]);
        t[i + 1] = _mm256_unpackhi_epi32(r[i], r[i + 1]);
    }
    for (int i = 0; i < 8; i += 4) {
        s[i]     = _mm256_unpacklo_epi64(t[i], t[i + 2]);
        s[i + 1] = _mm256_unpackhi_epi64(t[i], t[i + 2]);
        s[i + 2] = _mm256_unpacklo_epi64(t[i + 1], t[i + 3]);
        s[i + 3] = _mm256_unpackhi_epi64(t[i + 1], t[i + 3]);
    }
    for (int i = 0; i < 4; ++i) {
        r[i]     = _mm256_permute2x128_si256(s[i], s[i + 4], 0x20);
        r[i + 4] = _mm256_permute2x128_si256(s[i], s[i + 4], 0x31);
    }
}

AVX2 __m256i shift_left(__m256i x, int bits) {
    return _mm256_sll_epi32(x, _mm_cvtsi32_si128(bits));
}

AVX2 __m256i shift_right(__m256i x, int bits) {
    return _mm256_srl_epi32(x, _mm_cvtsi32_si128(bits));
}

// The index adjust table's entries for magnitudes 32..63 as bytes, 16 in each 128-bit half of
// both registers, for byte shuffles to look up; magnitudes 0..31 all shrink the step by one.
struct AdjustRegisters {
    __m256i low, high;
};

AVX2 AdjustRegisters load_adjust() {
    uint8_t low[16], high[16];
    for (int i = 0; i < 16; ++i) {
        low[i]  = uint8_t(index_adjust[32 + i]);
        high[i] = uint8_t(index_adjust[48 + i]);
    }
    return {_mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(low))),
            _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(high)))};
}

// The block layout (see block_format.cpp) read from big-endian 32-bit words: word 0 holds
// first_sample, start_index, min_index and range_exponent, the top two bits of word 1
// table_select, and code k occupies the 7 bits from bit 39 + 7k, at most two words.
AVX2 void load_group(const uint8_t* blocks, Group& g, const AdjustRegisters& adjust) {
    __m256i words[8];
    for (int i = 0; i < LANES; ++i)
        words[i] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(blocks + i * BLOCK_BYTES));
    transpose(words);
    const __m256i big_endian =
        _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12, 3, 2, 1, 0, 7, 6, 5,
                         4, 11, 10, 9, 8, 15, 14, 13, 12);
    for (__m256i& word : words)
        word = _mm256_shuffle_epi8(word, big_endian);

    const __m256i six_bits = _mm256_set1_epi32(0x3F);
    const __m256i one      = _mm256_set1_epi32(1);
    const __m256i exponent = _mm256_and_si256(words[0], _mm256_set1_epi32(0x0F));
    const __m256i half = _mm256_sub_epi32(_mm256_sllv_epi32(_mm256_set1_epi32(2), exponent), one);
    g.first            = _mm256_srai_epi32(words[0], 16);
    g.range_high =
        _mm256_min_epi32(_mm256_add_epi32(g.first, half), _mm256_set1_epi32(WINDOW_LIMIT));
    g.range_low =
        _mm256_max_epi32(_mm256_sub_epi32(g.first, half), _mm256_set1_epi32(-WINDOW_LIMIT));
    g.table_base  = _mm256_slli_epi32(_mm256_srli_epi32(words[1], 30), 6); // 64 steps a table
    g.min_index   = _mm256_and_si256(_mm256_srli_epi32(words[0], 4), six_bits);
    g.start_index = _mm256_and_si256(_mm256_srli_epi32(words[0], 10), six_bits);
    g.samples[0]  = g.first;

    for (int k = 0; k < BLOCK_CODES; ++k) {
        const int bit    = 39 + 7 * k;
        const int offset = bit & 31;
        __m256i code     = shift_left(words[bit >> 5], offset);
        if (offset > 25)
            code = _mm256_or_si256(code, shift_right(words[(bit >> 5) + 1], 32 - offset));
        code                    = _mm256_srli_epi32(code, 25);
        const __m256i magnitude = _mm256_and_si256(code, six_bits);
        g.odd[k]                = _mm256_add_epi32(_mm256_add_epi32(magnitude, magnitude), one);
        g.down[k]               = _mm256_srai_epi32(_mm256_slli_epi32(code, 25), 31);
        // Magnitudes 32..63 look their change up byte-wise; the rest shrink the step by one.
        const __m256 from_table = _mm256_castsi256_ps(_mm256_slli_epi32(magnitude, 26));
        const __m256 upper_half = _mm256_castsi256_ps(_mm256_slli_epi32(magnitude, 27));
        const __m256 looked_up  = _mm256_blendv_ps(
             _mm256_castsi256_ps(_mm256_shuffle_epi8(adjust.low, magnitude)),
             _mm256_castsi256_ps(_mm256_shuffle_epi8(adjust.high, magnitude)), upper_half);
        const __m256i change =
            _mm256_and_si256(_mm256_castps_si256(looked_up), _mm256_set1_epi32(0xFF));
        g.adjust[k] = _mm256_castps_si256(_mm256_blendv_ps(
            _mm256_castsi256_ps(_mm256_set1_epi32(-1)), _mm256_castsi256_ps(change), from_table));
    }
}

// One sample of every lane: the decoder's range test, amount, clamp and index change. The
// running value and step index stay in registers from one sample to the next.
AVX2 void decode_sample(Group& g, int k, __m256i& value, __m256i& index) {
    const int32_t* steps = &step_tables[0][0];
    const __m256i all    = _mm256_set1_epi32(-1);
    __m256i step         = _mm256_i32gather_epi32(steps, _mm256_add_epi32(g.table_base, index), 4);
    const __m256i twice  = _mm256_add_epi32(step, step);
    const __m256i high_limit = _mm256_sub_epi32(g.range_high, twice);
    const __m256i low_limit  = _mm256_add_epi32(g.range_low, twice);
    const __m256i below      = _mm256_cmpgt_epi32(high_limit, value);
    const __m256i above      = _mm256_cmpgt_epi32(value, low_limit);

    // The midpoint, rounded toward zero as a signed division by two rounds.
    const __m256i sum = _mm256_add_epi32(g.first, value);
    const __m256i mid = _mm256_srai_epi32(_mm256_add_epi32(sum, _mm256_srli_epi32(sum, 31)), 1);
    const __m256i not_above = _mm256_blendv_epi8(mid, low_limit, below);
    const __m256i is_above  = _mm256_blendv_epi8(high_limit, value, below);
    __m256i moved           = _mm256_blendv_epi8(not_above, is_above, above);

    // Collapsed lanes step one index down, where there is one, before the amount is taken.
    const __m256i collapsed = _mm256_xor_si256(_mm256_or_si256(below, above), all);
    const __m256i lower =
        _mm256_and_si256(collapsed, _mm256_cmpgt_epi32(index, _mm256_setzero_si256()));
    if (!_mm256_testz_si256(lower, lower)) {
        index = _mm256_add_epi32(index, lower);
        step  = _mm256_mask_i32gather_epi32(step, steps, _mm256_add_epi32(g.table_base, index),
                                            lower, 4);
    }

    // Both factors fit 16 bits, so one multiply-add of 16-bit halves makes the product.
    const __m256i down   = g.down[k];
    const __m256i amount = _mm256_srai_epi32(_mm256_madd_epi16(g.odd[k], step), 6);
    moved = _mm256_add_epi32(moved, _mm256_sub_epi32(_mm256_xor_si256(amount, down), down));
    moved = _mm256_min_epi32(_mm256_max_epi32(moved, _mm256_set1_epi32(-SAMPLE_LIMIT)),
                             _mm256_set1_epi32(SAMPLE_LIMIT));

    // Inside: the table's change. At the low limit moving down, at the high limit moving
    // up, or collapsed: one index down.
    const __m256i use_adjust = _mm256_blendv_epi8(
        _mm256_and_si256(above, down), _mm256_or_si256(above, _mm256_xor_si256(down, all)), below);
    const __m256i change = _mm256_blendv_epi8(all, g.adjust[k], use_adjust);
    index                = _mm256_max_epi32(_mm256_add_epi32(index, change), g.min_index);
    index                = _mm256_min_epi32(index, _mm256_set1_epi32(MAX_STEP_INDEX));
    value                = moved;
    g.samples[k + 1]     = moved;
}

// The samples back in block order, eight per lane at a time, narrowed to 16 bits (every
// decoded value fits them, so the saturating pack changes none).
AVX2 void store_group(Group& g, int16_t* out) {
    for (int k = 0; k < BLOCK_SAMPLES; k += 8) {
        __m256i* rows = g.samples + k;
        transpose(rows);
        for (int lane = 0; lane < LANES; lane += 2) {
            const __m256i pair =
                _mm256_permute4x64_epi64(_mm256_packs_epi32(rows[lane], rows[lane + 1]), 0xD8);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + lane * BLOCK_SAMPLES + k),
                             _mm256_castsi256_si128(pair));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + (lane + 1) * BLOCK_SAMPLES + k),
                             _mm256_extracti128_si256(pair, 1));
        }
    }
}

// Two groups at a time, so that one group's table lookups wait while the other computes.
__attribute__((target("avx2"))) void decode_groups(const uint8_t* blocks, size_t groups,
                                                   int16_t* out) {
    const AdjustRegisters adjust = load_adjust();
    Group a, b;
    constexpr size_t GROUP_BYTES   = LANES * BLOCK_BYTES;
    constexpr size_t GROUP_SAMPLES = LANES * BLOCK_SAMPLES;
    size_t i                       = 0;
    for (; i + 2 <= groups; i += 2) {
        load_group(blocks + i * GROUP_BYTES, a, adjust);
        load_group(blocks + (i + 1) * GROUP_BYTES, b, adjust);
        __m256i value_a = a.first, index_a = a.start_index;
        __m256i value_b = b.first, index_b = b.start_index;
        for (int k = 0; k < BLOCK_CODES; ++k) {
            decode_sample(a, k, value_a, index_a);
            decode_sample(b, k, value_b, index_b);
        }
        store_group(a, out + i * GROUP_SAMPLES);
        store_group(b, out + (i + 1) * GROUP_SAMPLES);
    }
    if (i < groups) {
        load_group(blocks + i * GROUP_BYTES, a, adjust);
        __m256i value = a.first, index = a.start_index;
        for (int k = 0; k < BLOCK_CODES; ++k)
            decode_sample(a, k, value, index);
        store_group(a, out + i * GROUP_SAMPLES);
    }
}

#define AVX512 __attribute__((target("avx2,avx512f,avx512bw"), always_inline)) inline

// Sixteen blocks side by side in 512-bit registers: two groups of eight, loaded and stored as
// above, decoded together. The range tests, the code's sign and the table a lane uses become
// masks.
struct WideGroup {
    __m512i first, range_high, range_low, min_index, start_index;
    __mmask16 uses_table[STEP_TABLES];
    __m512i odd[BLOCK_CODES], adjust[BLOCK_CODES];
    __mmask16 down[BLOCK_CODES];
    __m512i samples[BLOCK_SAMPLES];
};

// Every step fits 15 bits, so a table of 64 steps fits two registers of 16-bit words, and a
// word permute looks up sixteen lanes at once where a gather would fetch them one by one.
struct StepRegisters {
    __m512i low[STEP_TABLES], high[STEP_TABLES];
};

AVX512 __m512i join(__m256i low, __m256i high) {
    return _mm512_inserti64x4(_mm512_zextsi256_si512(low), high, 1);
}

AVX512 __m256i upper_half(__m512i x) {
    return _mm512_maskz_extracti64x4_epi64(0xF, x, 1);
}

AVX512 void load_steps(StepRegisters& r) {
    for (int t = 0; t < STEP_TABLES; ++t) {
        int16_t words[STEP_TABLE_SIZE];
        for (int i = 0; i < STEP_TABLE_SIZE; ++i)
            words[i] = int16_t(step_tables[t][i]);
        r.low[t]  = _mm512_loadu_si512(words);
        r.high[t] = _mm512_loadu_si512(words + 32);
    }
}

// The step at each lane's index in its own table. The index sits in the low 16 bits of its
// lane; the permute's mask clears the high 16 bits of the result.
AVX512 __m512i look_up_step(const StepRegisters& r, const WideGroup& g, __m512i index) {
    __m512i step = _mm512_setzero_si512();
    for (int t = 0; t < STEP_TABLES; ++t)
        if (g.uses_table[t])
            step = _mm512_mask_blend_epi32(
                g.uses_table[t], step,
                _mm512_maskz_permutex2var_epi16(0x55555555, r.low[t], index, r.high[t]));
    return step;
}

AVX512 void widen(const Group& low, const Group& high, WideGroup& w) {
    w.first                  = join(low.first, high.first);
    w.range_high             = join(low.range_high, high.range_high);
    w.range_low              = join(low.range_low, high.range_low);
    w.min_index              = join(low.min_index, high.min_index);
    w.start_index            = join(low.start_index, high.start_index);
    const __m512i table_base = join(low.table_base, high.table_base);
    for (int t = 0; t < STEP_TABLES; ++t)
        w.uses_table[t] =
            _mm512_cmpeq_epi32_mask(table_base, _mm512_set1_epi32(t * STEP_TABLE_SIZE));
    w.samples[0] = w.first;
    for (int k = 0; k < BLOCK_CODES; ++k) {
        w.odd[k]    = join(low.odd[k], high.odd[k]);
        w.adjust[k] = join(low.adjust[k], high.adjust[k]);
        w.down[k] =
            _mm512_cmplt_epi32_mask(join(low.down[k], high.down[k]), _mm512_setzero_si512());
    }
}

AVX512 void narrow(const WideGroup& w, Group& low, Group& high) {
    for (int k = 0; k < BLOCK_SAMPLES; ++k) {
        low.samples[k]  = _mm512_castsi512_si256(w.samples[k]);
        high.samples[k] = upper_half(w.samples[k]);
    }
}

// decode_sample for sixteen lanes.
AVX512 void decode_wide_sample(const StepRegisters& r, WideGroup& g, int k, __m512i& value,
                               __m512i& index) {
    const __m512i all        = _mm512_set1_epi32(-1);
    __m512i step             = look_up_step(r, g, index);
    const __m512i twice      = _mm512_add_epi32(step, step);
    const __m512i high_limit = _mm512_sub_epi32(g.range_high, twice);
    const __m512i low_limit  = _mm512_add_epi32(g.range_low, twice);
    const __mmask16 below    = _mm512_cmpgt_epi32_mask(high_limit, value);
    const __mmask16 above    = _mm512_cmpgt_epi32_mask(value, low_limit);

    const __m512i sum = _mm512_add_epi32(g.first, value);
    const __m512i mid = _mm512_srai_epi32(_mm512_add_epi32(sum, _mm512_srli_epi32(sum, 31)), 1);
    const __m512i not_above = _mm512_mask_blend_epi32(below, mid, low_limit);
    const __m512i is_above  = _mm512_mask_blend_epi32(below, high_limit, value);
    __m512i moved           = _mm512_mask_blend_epi32(above, not_above, is_above);

    const __mmask16 collapsed = __mmask16(~(below | above));
    const __mmask16 lower     = collapsed & _mm512_cmpgt_epi32_mask(index, _mm512_setzero_si512());
    if (lower) {
        index = _mm512_mask_add_epi32(index, lower, index, all);
        step  = _mm512_mask_blend_epi32(lower, step, look_up_step(r, g, index));
    }

    const __mmask16 down = g.down[k];
    const __m512i amount = _mm512_srai_epi32(_mm512_madd_epi16(g.odd[k], step), 6);
    moved = _mm512_mask_sub_epi32(_mm512_add_epi32(moved, amount), down, moved, amount);
    moved = _mm512_min_epi32(_mm512_max_epi32(moved, _mm512_set1_epi32(-SAMPLE_LIMIT)),
                             _mm512_set1_epi32(SAMPLE_LIMIT));

    const __mmask16 use_adjust = __mmask16((below & (above | ~down)) | (~below & above & down));
    const __m512i change       = _mm512_mask_blend_epi32(use_adjust, all, g.adjust[k]);
    index                      = _mm512_max_epi32(_mm512_add_epi32(index, change), g.min_index);
    index                      = _mm512_min_epi32(index, _mm512_set1_epi32(MAX_STEP_INDEX));
    value                      = moved;
    g.samples[k + 1]           = moved;
}

// Two wide groups (32 blocks) at a time, as decode_groups runs two groups.
__attribute__((target("avx2,avx512f,avx512bw"))) void
decode_wide_groups(const uint8_t* blocks, size_t pairs, int16_t* out) {
    const AdjustRegisters adjust = load_adjust();
    StepRegisters steps;
    load_steps(steps);

    Group g[4];
    WideGroup a, b;
    constexpr size_t GROUP_BYTES   = LANES * BLOCK_BYTES;
    constexpr size_t GROUP_SAMPLES = LANES * BLOCK_SAMPLES;
    for (size_t p = 0; p < pairs; ++p) {
        const uint8_t* in = blocks + p * 4 * GROUP_BYTES;
        for (int j = 0; j < 4; ++j)
            load_group(in + j * GROUP_BYTES, g[j], adjust);
        widen(g[0], g[1], a);
        widen(g[2], g[3], b);
        __m512i value_a = a.first, index_a = a.start_index;
        __m512i value_b = b.first, index_b = b.start_index;
        for (int k = 0; k < BLOCK_CODES; ++k) {
            decode_wide_sample(steps, a, k, value_a, index_a);
            decode_wide_sample(steps, b, k, value_b, index_b);
        }
        narrow(a, g[0], g[1]);
        narrow(b, g[2], g[3]);
        for (int j = 0; j < 4; ++j)
            store_group(g[j], out + (p * 4 + j) * GROUP_SAMPLES);
    }
}

bool processor_has_avx512() {
    static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    return has;
}

bool processor_has_avx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

} // namespace

size_t decode_blocks_vector(const uint8_t* blocks, size_t count, int16_t* out) {
    if (!processor_has_avx2()) return 0;
    size_t wide = 0; // blocks taken 32 at a time in 512-bit registers
    if (processor_has_avx512()) {
        wide = count / (4 * LANES) * 4 * LANES;
        decode_wide_groups(blocks, count / (4 * LANES), out);
    }
    decode_groups(blocks + wide * BLOCK_BYTES, (count - wide) / LANES, out + wide * BLOCK_SAMPLES);
    return wide + (count - wide) / LANES * LANES;
}

#else

size_t decode_blocks_vector(const uint8_t*, size_t, int16_t*) {
    return 0;
}

#endif
