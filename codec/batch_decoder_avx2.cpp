// The vector path of decode_blocks: eight blocks in the eight 32-bit lanes of AVX2 registers,
// every lane taking the decoder's steps for its own block. Built where the compiler can target
// AVX2 for one function at a time and the build is not for Windows (whose 64-bit ABI does not
// keep the stack aligned for spilled 32-byte registers); it runs only when the processor has
// AVX2.
#include "batch_decoder.h"

#include "decoder.h"
#include "step_tables.h"

#if defined(__GNUC__) && defined(__x86_64__) && !defined(_WIN32)
#define HAVE_AVX2_PATH 1
#include <immintrin.h>
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

// The block layout (see block_format.cpp) read from big-endian 32-bit words: word 0 holds
// first_sample, start_index, min_index and range_exponent, the top two bits of word 1
// table_select, and code k occupies the 7 bits from bit 39 + 7k, at most two words.
AVX2 void load_group(const uint8_t* blocks, Group& g, const __m256i adjust_low,
                     const __m256i adjust_high) {
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
             _mm256_castsi256_ps(_mm256_shuffle_epi8(adjust_low, magnitude)),
             _mm256_castsi256_ps(_mm256_shuffle_epi8(adjust_high, magnitude)), upper_half);
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
    uint8_t low[16], high[16];
    for (int i = 0; i < 16; ++i) {
        low[i]  = uint8_t(index_adjust[32 + i]);
        high[i] = uint8_t(index_adjust[48 + i]);
    }
    const __m256i adjust_low =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(low)));
    const __m256i adjust_high =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(high)));

    Group a, b;
    constexpr size_t GROUP_BYTES   = LANES * BLOCK_BYTES;
    constexpr size_t GROUP_SAMPLES = LANES * BLOCK_SAMPLES;
    size_t i                       = 0;
    for (; i + 2 <= groups; i += 2) {
        load_group(blocks + i * GROUP_BYTES, a, adjust_low, adjust_high);
        load_group(blocks + (i + 1) * GROUP_BYTES, b, adjust_low, adjust_high);
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
        load_group(blocks + i * GROUP_BYTES, a, adjust_low, adjust_high);
        __m256i value = a.first, index = a.start_index;
        for (int k = 0; k < BLOCK_CODES; ++k)
            decode_sample(a, k, value, index);
        store_group(a, out + i * GROUP_SAMPLES);
    }
}

bool processor_has_avx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

} // namespace

bool decode_blocks_vector(const uint8_t* blocks, size_t count, int16_t* out) {
    if (!processor_has_avx2()) return false;
    const size_t whole = count / LANES * LANES;
    decode_groups(blocks, count / LANES, out);
    decode_blocks_portable(blocks + whole * BLOCK_BYTES, count - whole,
                           out + whole * BLOCK_SAMPLES);
    return true;
}

#else

bool decode_blocks_vector(const uint8_t*, size_t, int16_t*) {
    return false;
}

#endif
