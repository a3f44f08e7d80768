// The lossless geometric edits: flip (row order), mirror (each row), transpose
// (rows and columns exchanged), the quarter turns built from them, and the
// bookkeeping of the resulting orientation in `symmetry`. They act on stored
// rows, whatever the storage direction. They run at close to memory speed: a
// quarter turn is one tiled pass (with SSE2/SSSE3/AVX2 blocks where the processor
// has them), a half turn one pass of row pairs; tests/image/fast_paths_test.cpp
// holds every path to a plain loop.
#include <algorithm>
#include <bit>
#include <cstring>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "image/Image.h"
#include "image/pixel_access.h"

namespace orlim {

using pixels::Block;

// The word-wide paths read and write bytes in memory order.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr int kOpFlip = 4;
constexpr int kOpMirror = 5;
constexpr int kOpTranspose = 7;

bool geometryDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32; }

std::uint64_t load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
void store64(std::uint8_t* p, std::uint64_t v) { std::memcpy(p, &v, 8); }
std::uint32_t load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
void store32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

// The pixels inside each byte of `x` in reverse order: bits for 1-bit pixels,
// the two halves for 4-bit ones.
std::uint64_t reverseInBytes(std::uint64_t x, int bits) {
  if (bits == 1) {
    x = ((x >> 1) & 0x5555555555555555ull) | ((x & 0x5555555555555555ull) << 1);
    x = ((x >> 2) & 0x3333333333333333ull) | ((x & 0x3333333333333333ull) << 2);
  }
  return ((x >> 4) & 0x0F0F0F0F0F0F0F0Full) | ((x & 0x0F0F0F0F0F0F0F0Full) << 4);
}

#if defined(__x86_64__) || defined(__i386__)
// The first output bytes of reversePackedRow sixteen at a time while the
// seventeen source bytes each needs are there: the bytes in reverse order, the
// pixels inside each through two nibble tables, and the shift taken from the
// same reversal read one byte further. Returns how many bytes it wrote.
__attribute__((target("ssse3"))) std::int64_t reversePackedShuffledSsse3(const std::uint8_t* in, std::uint8_t* out,
                                                                         std::int64_t bytes, int shift, int bits) {
  // Low nibble to the top half, high nibble to the bottom half, each reversed for 1-bit pixels.
  const __m128i lowTable = bits == 1 ? _mm_setr_epi8(0x00, -0x80, 0x40, -0x40, 0x20, -0x60, 0x60, -0x20, 0x10, -0x70,
                                                     0x50, -0x30, 0x30, -0x50, 0x70, -0x10)
                                     : _mm_setr_epi8(0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, -0x80, -0x70,
                                                     -0x60, -0x50, -0x40, -0x30, -0x20, -0x10);
  const __m128i highTable = bits == 1 ? _mm_setr_epi8(0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15)
                                      : _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  const __m128i backwards = _mm_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i keepHigh = _mm_set1_epi8(static_cast<char>(0xFF << shift));
  const __m128i keepLow = _mm_set1_epi8(static_cast<char>(0xFF >> (8 - shift)));
  auto reversed = [&](const std::uint8_t* at) __attribute__((target("ssse3"))) {
    const __m128i v = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), backwards);
    return _mm_or_si128(_mm_shuffle_epi8(lowTable, _mm_and_si128(v, nibble)),
                        _mm_shuffle_epi8(highTable, _mm_and_si128(_mm_srli_epi16(v, 4), nibble)));
  };
  std::int64_t k = 0;
  for (; k + 17 <= bytes; k += 16) {
    __m128i v = reversed(in + bytes - k - 16);
    if (shift) {
      const __m128i next = reversed(in + bytes - k - 17);
      v = _mm_or_si128(_mm_and_si128(_mm_slli_epi16(v, shift), keepHigh),
                       _mm_and_si128(_mm_srli_epi16(next, 8 - shift), keepLow));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), v);
  }
  return k;
}

std::int64_t reversePackedShuffled(const std::uint8_t* in, std::uint8_t* out, std::int64_t bytes, int shift, int bits) {
  static const bool shuffles = __builtin_cpu_supports("ssse3");
  return shuffles ? reversePackedShuffledSsse3(in, out, bytes, shift, bits) : 0;
}
#else
std::int64_t reversePackedShuffled(const std::uint8_t*, std::uint8_t*, std::int64_t, int, int) { return 0; }
#endif

// Reverses the pixels of the first `bytes` bytes of `in` into `out`, shifted
// left by `shift` bits (0-7) so that the first pixel starts at the top of the
// first byte; the rest of the row up to `stride` becomes 0. Eight bytes at a
// time: the eight source bytes ending where the output's start reads from, with
// the pixels in each byte reversed, are the output's eight bytes read as a
// big-endian word; the shift pulls in the top of the next reversed byte.
void reversePackedRow(const std::uint8_t* in, std::uint8_t* out, int stride, std::int64_t bytes, int shift, int bits) {
  auto reversedByte = [&](std::int64_t k) -> std::uint64_t {
    return k < bytes ? reverseInBytes(in[bytes - 1 - k], bits) & 0xFF : 0;
  };
  std::int64_t k = reversePackedShuffled(in, out, bytes, shift, bits);
  for (; k + 8 <= bytes; k += 8) {
    std::uint64_t word = reverseInBytes(load64(in + bytes - k - 8), bits);
    if (shift) word = (word << shift) | (reversedByte(k + 8) >> (8 - shift));
    store64(out + k, __builtin_bswap64(word));
  }
  for (; k < bytes; ++k)
    out[k] = static_cast<std::uint8_t>((reversedByte(k) << shift) | (reversedByte(k + 1) >> (8 - shift)));
  std::memset(out + bytes, 0, stride - bytes);
}

// Pixels of N bytes in reverse order, `width` of them from `in` to `out`.
template <int N>
void reversePixelsPlain(const std::uint8_t* in, std::uint8_t* out, std::int64_t width) {
  const std::uint8_t* from = in + (width - 1) * N;
  for (std::int64_t i = 0; i < width; ++i, from -= N, out += N)
    for (int k = 0; k < N; ++k) out[k] = from[k];
}

void reverseBytes(const std::uint8_t* in, std::uint8_t* out, std::int64_t width) {
  std::int64_t i = 0;
  for (; i + 8 <= width; i += 8) store64(out + i, __builtin_bswap64(load64(in + width - i - 8)));
  for (; i < width; ++i) out[i] = in[width - 1 - i];
}

void reverseQuads(const std::uint8_t* in, std::uint8_t* out, std::int64_t width) {
  for (std::int64_t i = 0; i < width; ++i) store32(out + 4 * i, load32(in + 4 * (width - 1 - i)));
}

#if defined(__x86_64__) || defined(__i386__)
// Five 3-byte pixels per shuffle. Each load starts one byte before the five
// pixels it turns, so it never reads past the row; each 16-byte store spills one
// byte into the next pixel, which the next store (or the plain tail) rewrites.
__attribute__((target("ssse3"))) void reverseTriplesShuffled(const std::uint8_t* in, std::uint8_t* out,
                                                             std::int64_t width) {
  const __m128i turn = _mm_setr_epi8(13, 14, 15, 10, 11, 12, 7, 8, 9, 4, 5, 6, 1, 2, 3, 0);
  std::int64_t i = 0;
  // Pixels i..i+4 of the output are pixels width-5-i..width-1-i of the input.
  for (; i + 5 < width; i += 5) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * (width - 5 - i) - 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * i), _mm_shuffle_epi8(v, turn));
  }
  reversePixelsPlain<3>(in, out + 3 * i, width - i);
}

void reverseTriples(const std::uint8_t* in, std::uint8_t* out, std::int64_t width) {
  static const bool shuffles = __builtin_cpu_supports("ssse3");
  if (shuffles)
    reverseTriplesShuffled(in, out, width);
  else
    reversePixelsPlain<3>(in, out, width);
}
#else
void reverseTriples(const std::uint8_t* in, std::uint8_t* out, std::int64_t width) {
  reversePixelsPlain<3>(in, out, width);
}
#endif

// Row `in` mirrored into `out` (a different row of `stride` bytes). Padding of
// 8-, 24- and 32-bit rows comes along from `in`; that of packed rows becomes 0.
void mirroredRow(const std::uint8_t* in, std::uint8_t* out, const Image& im) {
  const std::int64_t w = im.width;
  const int b = im.bitsPerPixel;
  if (b == 1 || b == 4) {
    const std::int64_t bytes = b == 1 ? (w + 7) / 8 : (w + 1) / 2;
    const int shift = static_cast<int>(bytes * 8 - w * b);
    reversePackedRow(in, out, im.stride, bytes, shift, b);
    return;
  }
  if (b == 8) reverseBytes(in, out, w);
  if (b == 24) reverseTriples(in, out, w);
  if (b == 32) reverseQuads(in, out, w);
  const std::int64_t used = w * (b / 8);
  std::memcpy(out + used, in + used, im.stride - used);
}

// Exchanges two rows sixteen bytes at a time through registers.
void swapRows(std::uint8_t* a, std::uint8_t* b, std::int64_t bytes) {
  std::int64_t at = 0;
  for (; at + 16 <= bytes; at += 16) {
    std::uint8_t fromA[16], fromB[16];
    std::memcpy(fromA, a + at, 16);
    std::memcpy(fromB, b + at, 16);
    std::memcpy(a + at, fromB, 16);
    std::memcpy(b + at, fromA, 16);
  }
  for (; at < bytes; ++at) std::swap(a[at], b[at]);
}

// Stored rows seen through a first row and a signed step: reading a picture's
// rows last to first, or filling a new one's last row first, makes a transpose
// into a quarter turn.
struct SourceRows {
  const std::uint8_t* first;
  std::int64_t step;
  const std::uint8_t* row(std::int64_t r) const { return first + r * step; }
};
struct TargetRows {
  std::uint8_t* first;
  std::int64_t step;
  std::uint8_t* row(std::int64_t r) const { return first + r * step; }
};

// The work is cut into tiles: a band of source columns three cache lines wide
// (so that each source line is used whole while it is at hand) by 16 source
// rows. The band's target rows are filled left to right, tile after tile, so
// each target line is finished before it leaves the cache. The source walk is
// strided, which the processor does not foresee: the lines of the tile four
// tiles ahead are asked for while this one is moved (one tile ahead is less
// time than a trip to memory).
constexpr std::int64_t kBandBytes = 192;
constexpr std::int64_t kTileRows = 16;
constexpr std::int64_t kPrefetchRows = 4 * kTileRows;

// Source columns in a band of `bits` per pixel.
constexpr std::int64_t bandColumns(int bits) { return kBandBytes * 8 / bits; }

void prefetchTileRows(const SourceRows& src, std::int64_t h, std::int64_t r0, std::int64_t first, std::int64_t last) {
  const std::int64_t from = r0 + kPrefetchRows, to = std::min(h, from + kTileRows);
  for (std::int64_t k = from; k < to; ++k) {
    const auto start = reinterpret_cast<std::uintptr_t>(src.row(k) + first) & ~std::uintptr_t{63};
    const auto end = reinterpret_cast<std::uintptr_t>(src.row(k) + last);
    for (std::uintptr_t line = start; line <= end; line += 64) __builtin_prefetch(reinterpret_cast<const void*>(line));
  }
}

// Runs `tile` (c0, c1, r0, r1) over the first w columns and h rows of `src`, of
// `bits` per pixel.
template <typename Tile>
void forEachTile(const SourceRows& src, int bits, std::int64_t w, std::int64_t h, Tile tile) {
  const std::int64_t band = bandColumns(bits);
  for (std::int64_t c0 = 0; c0 < w; c0 += band) {
    const std::int64_t c1 = std::min(w, c0 + band);
    const std::int64_t first = c0 * bits / 8, last = (c1 * bits - 1) / 8;
    for (std::int64_t r0 = 0; r0 < h; r0 += kTileRows) {
      prefetchTileRows(src, h, r0, first, last);
      tile(c0, c1, r0, std::min(h, r0 + kTileRows));
    }
  }
}

// The pixels of N bytes the blocks leave: the columns right of `wq` row by row,
// so that each source line is read once, and the rows under `hq` column by
// column, so that each target row gets its few pixels in one place.
template <int N>
void transposeRagged(const SourceRows& src, std::int64_t w, std::int64_t h, const TargetRows& dst, std::int64_t wq,
                     std::int64_t hq) {
  for (std::int64_t r = 0; r < h; ++r)
    for (std::int64_t c = wq; c < w; ++c) std::memcpy(dst.row(c) + r * N, src.row(r) + c * N, N);
  for (std::int64_t c = 0; c < wq; ++c)
    for (std::int64_t r = hq; r < h; ++r) std::memcpy(dst.row(c) + r * N, src.row(r) + c * N, N);
}

// 3-byte pixels moved as 4-byte words where the extra byte is still inside the
// row read and is rewritten in the row written.
void transposeTriplesPlain(const SourceRows& src, std::int64_t w, std::int64_t h, const TargetRows& dst) {
  forEachTile(src, 24, w, h, [&](std::int64_t c0, std::int64_t c1, std::int64_t r0, std::int64_t r1) {
    for (std::int64_t c = c0; c < c1; ++c) {
      std::uint8_t* out = dst.row(c) + r0 * 3;
      const std::uint8_t* in = src.row(r0) + c * 3;
      std::int64_t r = r0;
      if (c + 1 < w) {
        const std::int64_t wide = std::min(r1, h - 1);
        for (; r < wide; ++r, out += 3, in += src.step) store32(out, load32(in));
      }
      for (; r < r1; ++r, out += 3, in += src.step) std::memcpy(out, in, 3);
    }
  });
}

#if defined(__x86_64__) || defined(__i386__)
// Four by four 3-byte pixels per step over one tile: four pixels of each of four
// source rows widened to 32-bit lanes, the lanes transposed, and each target
// row's four narrowed back. A 16-byte load takes five pixels and a byte, so the
// caller keeps tiles where the row holds them (c + 6 <= w); a 16-byte store
// spills four zero bytes onto the next pixels of the same target row, which are
// written after it, and is used only where those pixels exist (r + 6 <= h).
// Everything by value: the stores could alias anything reached through a reference.
__attribute__((target("ssse3"), always_inline)) inline void transposeTriples4x4(const SourceRows& src,
                                                                                const TargetRows& dst, std::int64_t c,
                                                                                std::int64_t r, bool spills) {
  const __m128i widen = _mm_setr_epi8(0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128);
  const __m128i narrow = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -128, -128, -128, -128);
  __m128i rows[4];
  for (int k = 0; k < 4; ++k)
    rows[k] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src.row(r + k) + c * 3)), widen);
  const __m128i ab0 = _mm_unpacklo_epi32(rows[0], rows[1]), ab1 = _mm_unpackhi_epi32(rows[0], rows[1]);
  const __m128i de0 = _mm_unpacklo_epi32(rows[2], rows[3]), de1 = _mm_unpackhi_epi32(rows[2], rows[3]);
  const __m128i columns[4] = {_mm_unpacklo_epi64(ab0, de0), _mm_unpackhi_epi64(ab0, de0), _mm_unpacklo_epi64(ab1, de1),
                              _mm_unpackhi_epi64(ab1, de1)};
  for (int j = 0; j < 4; ++j) {
    const __m128i v = _mm_shuffle_epi8(columns[j], narrow);
    std::uint8_t* out = dst.row(c + j) + r * 3;
    if (spills) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
    } else {
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out), v);
      store32(out + 8, static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(v, 8))));
    }
  }
}

__attribute__((target("ssse3"))) void transposeTriplesTile(const SourceRows src, const TargetRows dst, std::int64_t h,
                                                           std::int64_t c0, std::int64_t c1, std::int64_t r0,
                                                           std::int64_t r1) {
  if (r1 - r0 == kTileRows && r1 + 2 <= h) {
    for (std::int64_t c = c0; c < c1; c += 4)
      for (std::int64_t i = 0; i < kTileRows; i += 4) transposeTriples4x4(src, dst, c, r0 + i, true);
    return;
  }
  for (std::int64_t c = c0; c < c1; c += 4)
    for (std::int64_t r = r0; r < r1; r += 4) transposeTriples4x4(src, dst, c, r, r + 6 <= h);
}

// Whole 4 x 4 blocks by shuffles, the ragged right and bottom pixel by pixel.
void transposeTriplesShuffled(const SourceRows& src, std::int64_t w, std::int64_t h, const TargetRows& dst) {
  const std::int64_t wq = w >= 6 ? (w - 2) & ~std::int64_t{3} : 0;
  const std::int64_t hq = h & ~std::int64_t{3};
  forEachTile(src, 24, wq, hq, [&](std::int64_t c0, std::int64_t c1, std::int64_t r0, std::int64_t r1) {
    transposeTriplesTile(src, dst, h, c0, c1, r0, r1);
  });
  transposeRagged<3>(src, w, h, dst, wq, hq);
}

void transposeTriples(const SourceRows& src, std::int64_t w, std::int64_t h, const TargetRows& dst) {
  static const bool shuffles = __builtin_cpu_supports("ssse3");
  if (shuffles)
    transposeTriplesShuffled(src, w, h, dst);
  else
    transposeTriplesPlain(src, w, h, dst);
}
#else
void transposeTriples(const SourceRows& src, std::int64_t w, std::int64_t h, const TargetRows& dst) {
  transposeTriplesPlain(src, w, h, dst);
}
#endif

template <int N>
void transposeWords(const SourceRows& src, std::int64_t w, std::int64_t h, const TargetRows& dst) {
  forEachTile(src, N * 8, w, h, [&](std::int64_t c0, std::int64_t c1, std::int64_t r0, std::int64_t r1) {
    for (std::int64_t c = c0; c < c1; ++c) {
      std::uint8_t* out = dst.row(c) + r0 * N;
      const std::uint8_t* in = src.row(r0) + c * N;
      for (std::int64_t r = r0; r < r1; ++r, out += N, in += src.step) std::memcpy(out, in, N);
    }
  });
}

// Transposes an 8 x 8 byte matrix held one row per word, column k in byte k.
void transposeBytes8x8(std::uint64_t m[8]) {
  auto exchange = [&m](int i, int j, int shift, std::uint64_t mask) {
    const std::uint64_t t = ((m[i] >> shift) ^ m[j]) & mask;
    m[j] ^= t;
    m[i] ^= t << shift;
  };
  for (int i : {0, 2, 4, 6}) exchange(i, i + 1, 8, 0x00FF00FF00FF00FFull);
  for (int i : {0, 1, 4, 5}) exchange(i, i + 2, 16, 0x0000FFFF0000FFFFull);
  for (int i : {0, 1, 2, 3}) exchange(i, i + 4, 32, 0x00000000FFFFFFFFull);
}

#if defined(__SSE2__)
// Transposes 16 x 16 bytes held one row per vector: afterwards vector j holds
// column j, its byte i from row i. Four rounds of interleaving, each pairing
// elements twice as wide as the last.
// Inlined into each caller: called once a block, it would pass its sixteen
// vectors through memory.
__attribute__((always_inline)) inline void transposeBytes16x16(__m128i x[16]) {
  __m128i t[16];
  for (int i = 0; i < 8; ++i) {
    t[i] = _mm_unpacklo_epi8(x[2 * i], x[2 * i + 1]);
    t[i + 8] = _mm_unpackhi_epi8(x[2 * i], x[2 * i + 1]);
  }
  // t[i], t[i + 8]: rows 2i and 2i + 1 of columns 0-7 and 8-15.
  for (int half = 0; half < 16; half += 8)
    for (int i = 0; i < 4; ++i) {
      x[half + i] = _mm_unpacklo_epi16(t[half + 2 * i], t[half + 2 * i + 1]);
      x[half + 4 + i] = _mm_unpackhi_epi16(t[half + 2 * i], t[half + 2 * i + 1]);
    }
  // x[4g + i]: rows 4i to 4i + 3 of columns 4g to 4g + 3.
  for (int g = 0; g < 4; ++g)
    for (int k = 0; k < 4; k += 2) {
      t[g * 4 + k] = _mm_unpacklo_epi32(x[g * 4 + k], x[g * 4 + k + 1]);
      t[g * 4 + k + 1] = _mm_unpackhi_epi32(x[g * 4 + k], x[g * 4 + k + 1]);
    }
  // t[4g + p]: rows 0-7 of columns 4g + 2p and 4g + 2p + 1; t[4g + 2 + p]: rows 8-15 of the same.
  for (int g = 0; g < 4; ++g)
    for (int p = 0; p < 2; ++p) {
      x[g * 4 + p * 2] = _mm_unpacklo_epi64(t[g * 4 + p], t[g * 4 + 2 + p]);
      x[g * 4 + p * 2 + 1] = _mm_unpackhi_epi64(t[g * 4 + p], t[g * 4 + 2 + p]);
    }
}

// 8-bit pixels in 16 x 16 blocks; the ragged right and bottom edges one by one.
void transposeOctets(const SourceRows& src, std::int64_t w, std::int64_t h, const TargetRows& dst) {
  const std::int64_t wq = w & ~std::int64_t{15}, hq = h & ~std::int64_t{15};
  forEachTile(src, 8, wq, hq, [src, dst](std::int64_t c0, std::int64_t c1, std::int64_t r0, std::int64_t r1) {
    for (std::int64_t c = c0; c < c1; c += 16)
      for (std::int64_t r = r0; r < r1; r += 16) {
        __m128i x[16];
        for (int k = 0; k < 16; ++k) x[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src.row(r + k) + c));
        transposeBytes16x16(x);
        for (int k = 0; k < 16; ++k) _mm_storeu_si128(reinterpret_cast<__m128i*>(dst.row(c + k) + r), x[k]);
      }
  });
  transposeRagged<1>(src, w, h, dst, wq, hq);
}

// 32-bit pixels in 4 x 4 blocks; the ragged edges one by one.
void transposeQuads(const SourceRows& src, std::int64_t w, std::int64_t h, const TargetRows& dst) {
  const std::int64_t wq = w & ~std::int64_t{3}, hq = h & ~std::int64_t{3};
  forEachTile(src, 32, wq, hq, [src, dst](std::int64_t c0, std::int64_t c1, std::int64_t r0, std::int64_t r1) {
    for (std::int64_t c = c0; c < c1; c += 4)
      for (std::int64_t r = r0; r < r1; r += 4) {
        __m128i x[4];
        for (int k = 0; k < 4; ++k) x[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src.row(r + k) + c * 4));
        const __m128i ab0 = _mm_unpacklo_epi32(x[0], x[1]), ab1 = _mm_unpackhi_epi32(x[0], x[1]);
        const __m128i de0 = _mm_unpacklo_epi32(x[2], x[3]), de1 = _mm_unpackhi_epi32(x[2], x[3]);
        const __m128i columns[4] = {_mm_unpacklo_epi64(ab0, de0), _mm_unpackhi_epi64(ab0, de0),
                                    _mm_unpacklo_epi64(ab1, de1), _mm_unpackhi_epi64(ab1, de1)};
        for (int j = 0; j < 4; ++j) _mm_storeu_si128(reinterpret_cast<__m128i*>(dst.row(c + j) + r * 4), columns[j]);
      }
  });
  transposeRagged<4>(src, w, h, dst, wq, hq);
}
#else
// 8-bit pixels in 8 x 8 blocks; the ragged right and bottom edges one by one.
void transposeOctets(const SourceRows& src, std::int64_t w, std::int64_t h, const TargetRows& dst) {
  const std::int64_t wholeW = w & ~std::int64_t{7}, wholeH = h & ~std::int64_t{7};
  forEachTile(src, 8, wholeW, wholeH, [&](std::int64_t c0, std::int64_t c1, std::int64_t r0, std::int64_t r1) {
    for (std::int64_t c = c0; c < c1; c += 8)
      for (std::int64_t r = r0; r < r1; r += 8) {
        std::uint64_t m[8];
        for (int k = 0; k < 8; ++k) m[k] = load64(src.row(r + k) + c);
        transposeBytes8x8(m);
        for (int k = 0; k < 8; ++k) store64(dst.row(c + k) + r, m[k]);
      }
  });
  transposeRagged<1>(src, w, h, dst, wholeW, wholeH);
}

void transposeQuads(const SourceRows& src, std::int64_t w, std::int64_t h, const TargetRows& dst) {
  transposeWords<4>(src, w, h, dst);
}
#endif

// Four bytes of 4-bit pixels spread one pixel per byte, and back.
std::uint64_t spreadNibbles(std::uint32_t v) {
  std::uint64_t x = v;
  x = (x | (x << 16)) & 0x0000FFFF0000FFFFull;
  x = (x | (x << 8)) & 0x00FF00FF00FF00FFull;
  return ((x >> 4) & 0x000F000F000F000Full) | ((x & 0x000F000F000F000Full) << 8);
}
std::uint32_t packNibbles(std::uint64_t x) {
  x = ((x & 0x000F000F000F000Full) << 4) | ((x >> 8) & 0x000F000F000F000Full);
  x = (x | (x >> 8)) & 0x0000FFFF0000FFFFull;
  return static_cast<std::uint32_t>(x | (x >> 16));
}

// 4-bit pixels in 8 x 8 blocks of four bytes per row. A source row's four bytes
// never pass its stride, rows past the bottom read as 0 and target rows past
// the right edge are not written, so padding stays 0.
void transposeNibblesPlain(const SourceRows& src, std::int64_t w, std::int64_t h, const TargetRows& dst) {
  forEachTile(src, 4, w, h, [&](std::int64_t c0, std::int64_t c1, std::int64_t r0, std::int64_t r1) {
    for (std::int64_t c = c0; c < c1; c += 8)
      for (std::int64_t r = r0; r < r1; r += 8) {
        std::uint64_t m[8] = {};
        for (std::int64_t k = 0; k < 8 && r + k < h; ++k) m[k] = spreadNibbles(load32(src.row(r + k) + c / 2));
        transposeBytes8x8(m);
        for (std::int64_t k = 0; k < 8 && c + k < w; ++k) store32(dst.row(c + k) + r / 2, packNibbles(m[k]));
      }
  });
}

#if defined(__SSE2__)
// 4-bit pixels in blocks of 16 rows by 32 columns: the sixteen rows' 16 bytes
// transposed as bytes, so that vector j holds byte column j (pixels 2j and
// 2j + 1) of the sixteen rows; each 16-bit lane of it, the bytes of rows 2k and
// 2k + 1, then makes byte k of both target rows: the high halves of the two
// bytes for target row 2j, the low halves for 2j + 1. What the blocks do not
// cover goes the plain way (the plain loop starts its tiles at 0, so it runs
// over the ragged parts only).
void transposeNibbles(const SourceRows& src, std::int64_t w, std::int64_t h, const TargetRows& dst) {
  const std::int64_t wq = w & ~std::int64_t{31}, hq = h & ~std::int64_t{15};
  forEachTile(src, 4, wq, hq, [src, dst](std::int64_t c0, std::int64_t c1, std::int64_t r0, std::int64_t r1) {
    const __m128i high = _mm_set1_epi16(0x00F0), low = _mm_set1_epi16(0x000F);
    for (std::int64_t c = c0; c < c1; c += 32)
      for (std::int64_t r = r0; r < r1; r += 16) {
        __m128i x[16];
        for (int k = 0; k < 16; ++k) x[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src.row(r + k) + c / 2));
        transposeBytes16x16(x);
        for (int j = 0; j < 16; ++j) {
          const __m128i even = _mm_or_si128(_mm_and_si128(x[j], high), _mm_srli_epi16(x[j], 12));
          const __m128i odd =
              _mm_or_si128(_mm_and_si128(_mm_slli_epi16(x[j], 4), high), _mm_and_si128(_mm_srli_epi16(x[j], 8), low));
          _mm_storel_epi64(reinterpret_cast<__m128i*>(dst.row(c + 2 * j) + r / 2), _mm_packus_epi16(even, even));
          _mm_storel_epi64(reinterpret_cast<__m128i*>(dst.row(c + 2 * j + 1) + r / 2), _mm_packus_epi16(odd, odd));
        }
      }
  });
  if (wq == w && hq == h) return;
  // The ragged bottom rows under the blocks, then the ragged right columns.
  const SourceRows below{src.row(hq), src.step};
  const TargetRows belowTarget{dst.first + hq / 2, dst.step};
  if (hq < h) transposeNibblesPlain(below, wq, h - hq, belowTarget);
  const SourceRows right{src.first + wq / 2, src.step};
  const TargetRows rightTarget{dst.row(wq), dst.step};
  if (wq < w) transposeNibblesPlain(right, w - wq, h, rightTarget);
}
#else
void transposeNibbles(const SourceRows& src, std::int64_t w, std::int64_t h, const TargetRows& dst) {
  transposeNibblesPlain(src, w, h, dst);
}
#endif

// Transposes an 8 x 8 bit matrix held one row per byte, row 0 in the top byte,
// column 0 in each byte's top bit.
std::uint64_t transposeBits8x8(std::uint64_t x) {
  x = (x & 0xAA55AA55AA55AA55ull) | ((x & 0x00AA00AA00AA00AAull) << 7) | ((x >> 7) & 0x00AA00AA00AA00AAull);
  x = (x & 0xCCCC3333CCCC3333ull) | ((x & 0x0000CCCC0000CCCCull) << 14) | ((x >> 14) & 0x0000CCCC0000CCCCull);
  x = (x & 0xF0F0F0F00F0F0F0Full) | ((x & 0x00000000F0F0F0F0ull) << 28) | ((x >> 28) & 0x00000000F0F0F0F0ull);
  return x;
}

// 1-bit rows, eight rows by eight columns at a time, for column bytes
// [cbFrom, cbTo) and rows from `rFrom` (a multiple of 8) down: eight target rows
// filled left to right while the source lines they come from stay in cache. Rows
// past the bottom read as 0 and target rows past the right edge are never
// written, so padding stays 0.
void transposeBitsPlain(const SourceRows& src, std::int64_t w, std::int64_t h, const TargetRows& dst,
                        std::int64_t cbFrom, std::int64_t cbTo, std::int64_t rFrom) {
  for (std::int64_t cb = cbFrom; cb < cbTo; ++cb) {
    const std::int64_t cols = std::min<std::int64_t>(8, w - cb * 8);
    std::uint8_t* out[8];
    for (std::int64_t k = 0; k < cols; ++k) out[k] = dst.row(cb * 8 + k);
    for (std::int64_t r0 = rFrom; r0 < h; r0 += 8) {
      const std::int64_t rows = std::min<std::int64_t>(8, h - r0);
      std::uint64_t block = 0;
      for (std::int64_t k = 0; k < rows; ++k) block |= std::uint64_t{src.row(r0 + k)[cb]} << (56 - 8 * k);
      block = transposeBits8x8(block);
      for (std::int64_t k = 0; k < cols; ++k) out[k][r0 / 8] = static_cast<std::uint8_t>(block >> (56 - 8 * k));
    }
  }
}

#if defined(__SSE2__)
#if defined(__x86_64__) || defined(__i386__)
// The 16 x 16 byte network on 256-bit vectors: it runs in both 128-bit halves
// alike, two blocks at once.
__attribute__((target("avx2"), always_inline)) inline void transposeBytes16x16Twice(__m256i x[16]) {
  __m256i t[16];
  for (int i = 0; i < 8; ++i) {
    t[i] = _mm256_unpacklo_epi8(x[2 * i], x[2 * i + 1]);
    t[i + 8] = _mm256_unpackhi_epi8(x[2 * i], x[2 * i + 1]);
  }
  for (int half = 0; half < 16; half += 8)
    for (int i = 0; i < 4; ++i) {
      x[half + i] = _mm256_unpacklo_epi16(t[half + 2 * i], t[half + 2 * i + 1]);
      x[half + 4 + i] = _mm256_unpackhi_epi16(t[half + 2 * i], t[half + 2 * i + 1]);
    }
  for (int g = 0; g < 4; ++g)
    for (int k = 0; k < 4; k += 2) {
      t[g * 4 + k] = _mm256_unpacklo_epi32(x[g * 4 + k], x[g * 4 + k + 1]);
      t[g * 4 + k + 1] = _mm256_unpackhi_epi32(x[g * 4 + k], x[g * 4 + k + 1]);
    }
  for (int g = 0; g < 4; ++g)
    for (int p = 0; p < 2; ++p) {
      x[g * 4 + p * 2] = _mm256_unpacklo_epi64(t[g * 4 + p], t[g * 4 + 2 + p]);
      x[g * 4 + p * 2 + 1] = _mm256_unpackhi_epi64(t[g * 4 + p], t[g * 4 + 2 + p]);
    }
}

// transposeBits' blocks 32 rows tall, for rows [0, rows) of column bytes [cb,
// cb + 16): rows r.. r + 15 in the low halves and r + 16.. r + 31 in the high
// ones, so that one mask gathers four target bytes. By value: the stores could
// alias anything reached through a reference.
__attribute__((target("avx2"))) void transposeBitBlocksWide(const SourceRows src, const TargetRows dst, std::int64_t cb,
                                                            std::int64_t rows) {
  std::uint8_t* out = dst.row(cb * 8);
  for (std::int64_t r = 0; r < rows; r += 32) {
    __m256i x[16];
    for (int i = 0; i < 16; ++i) {
      const std::int64_t k = i < 8 ? 7 - i : 23 - i;
      const __m128i top = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src.row(r + k) + cb));
      const __m128i bottom = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src.row(r + 16 + k) + cb));
      x[i] = _mm256_inserti128_si256(_mm256_castsi128_si256(top), bottom, 1);
    }
    transposeBytes16x16Twice(x);
    for (int j = 0; j < 16; ++j) {
      std::uint8_t* target = out + j * 8 * dst.step + r / 8;
      for (int bit = 0; bit < 8; ++bit, target += dst.step) {
        const auto bits = static_cast<std::uint32_t>(_mm256_movemask_epi8(x[j]));
        std::memcpy(target, &bits, 4);
        x[j] = _mm256_add_epi8(x[j], x[j]);
      }
    }
  }
}

// The rows transposeBitBlocksWide covered: none without AVX2.
std::int64_t transposeBitRowsWide(const SourceRows& src, const TargetRows& dst, std::int64_t cb, std::int64_t h) {
  static const bool wide = __builtin_cpu_supports("avx2");
  if (!wide) return 0;
  const std::int64_t rows = h & ~std::int64_t{31};
  transposeBitBlocksWide(src, dst, cb, rows);
  return rows;
}
#else
std::int64_t transposeBitRowsWide(const SourceRows&, const TargetRows&, std::int64_t, std::int64_t) { return 0; }
#endif

// Sixteen rows by sixteen column bytes (128 target rows) at a time: the 16 x 16
// bytes transposed so that each vector holds one column byte of the sixteen
// rows, then each of its eight bits gathered by a byte mask into two target bytes.
// The rows go in eight by eight reversed, so that the first row lands in each
// target byte's top bit. With AVX2 the rows go 32 at a time first. What the
// blocks do not cover goes the plain way.
void transposeBits(const SourceRows& src, std::int64_t w, std::int64_t h, const TargetRows& dst) {
  const std::int64_t columnBytes = (w + 7) / 8;
  const std::int64_t cbq = (w / 128) * 16;  // column bytes whose 8 target rows all exist
  const std::int64_t hq = h & ~std::int64_t{15};
  for (std::int64_t cb = 0; cb < cbq; cb += 16) {
    std::uint8_t* out = dst.row(cb * 8);
    for (std::int64_t r = transposeBitRowsWide(src, dst, cb, hq); r < hq; r += 16) {
      __m128i x[16];
      for (int i = 0; i < 16; ++i)
        x[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src.row(r + (i < 8 ? 7 - i : 23 - i)) + cb));
      transposeBytes16x16(x);
      for (int j = 0; j < 16; ++j) {
        std::uint8_t* target = out + j * 8 * dst.step + r / 8;
        for (int bit = 0; bit < 8; ++bit, target += dst.step) {
          const auto bits = static_cast<std::uint16_t>(_mm_movemask_epi8(x[j]));
          std::memcpy(target, &bits, 2);
          x[j] = _mm_add_epi8(x[j], x[j]);
        }
      }
    }
  }
  transposeBitsPlain(src, w, h, dst, 0, cbq, hq);
  transposeBitsPlain(src, w, h, dst, cbq, columnBytes, 0);
}
#else
void transposeBits(const SourceRows& src, std::int64_t w, std::int64_t h, const TargetRows& dst) {
  transposeBitsPlain(src, w, h, dst, 0, (w + 7) / 8, 0);
}
#endif

void transposeRows(const Image& im, const SourceRows& src, const TargetRows& dst) {
  const std::int64_t w = im.width, h = im.height;
  switch (im.bitsPerPixel) {
    case 1: transposeBits(src, w, h, dst); break;
    case 4: transposeNibbles(src, w, h, dst); break;
    case 8: transposeOctets(src, w, h, dst); break;
    case 24: transposeTriples(src, w, h, dst); break;
    case 32: transposeQuads(src, w, h, dst); break;
  }
}

// How a new block is filled from the stored rows: a transpose, or a transpose
// whose source rows or target rows are taken last to first (a transpose followed
// by a mirror, or by a flip, in one pass).
enum class Turn { kTranspose, kThenMirror, kThenFlip };

// The transpose, alone or with the step `turn` adds, into a new block; the
// symmetry bookkeeping is the caller's.
int turnRows(Image& im, Turn turn) {
  if (!pixels::rowsUsable(im)) return im.fail("There is no picture to transpose.");
  const std::int64_t newStride = dibStride(im.height, im.bitsPerPixel);
  const std::int64_t tableEnd = std::int64_t{im.headerSize} + im.paletteSize;
  const std::int64_t total = tableEnd + im.width * newStride;
  if (!geometryDepth(im.bitsPerPixel)) return im.fail("Operation not supported for this color depth");
  Block block = pixels::allocateBlock(total);
  if (!block)
    return im.fail("Failed to allocate %lld temporary bytes to transpose image.", static_cast<long long>(total));

  SourceRows src{pixels::rowAt(im, 0), im.stride};
  if (turn == Turn::kThenMirror) src = {pixels::rowAt(im, im.height - 1), -std::int64_t{im.stride}};
  TargetRows dst{block.get() + tableEnd, newStride};
  if (turn == Turn::kThenFlip) dst = {block.get() + tableEnd + (im.width - 1) * newStride, -newStride};
  transposeRows(im, src, dst);
  // The colour table travels with the pixels whatever the layout.
  std::memcpy(block.get(), im.dib, tableEnd);

  std::swap(im.width, im.height);
  std::swap(im.fullWidth, im.fullHeight);
  std::swap(im.xResolution, im.yResolution);
  im.stride = static_cast<int>(newStride);
  im.bitsSize = static_cast<int>(im.height * newStride);
  im.bitsOffset = static_cast<int>(tableEnd);

  std::free(im.dib);
  im.dib = block.release();
  if (pixels::isPackedDib(im)) {
    BITMAPINFOHEADER* h = im.header();
    h->biWidth = im.width;
    h->biHeight = im.rowOrder == kRowsTopDown ? -im.height : im.height;
    std::swap(h->biXPelsPerMeter, h->biYPelsPerMeter);
    h->biSizeImage = static_cast<DWORD>(im.bitsSize);
  }
  return 1;
}

// Mirrors every row, and with `flipToo` exchanges rows top for bottom in the same
// pass (a half turn), each row mirrored into a scratch row that stays in cache.
int mirrorRows(Image& im, bool flipToo) {
  if (!geometryDepth(im.bitsPerPixel)) return im.fail("Operation not supported for this color depth");
  if (!pixels::rowsUsable(im)) return im.fail("There is no picture to mirror.");
  const std::int64_t stride = im.stride;
  Block scratch = pixels::allocateBlock(stride + 1);
  if (!scratch) return im.fail("Failed to allocate %lld bytes to mirror image.", static_cast<long long>(stride) + 1);
  std::uint8_t* spare = scratch.get();
  std::int64_t top = 0, bottom = im.height - 1;
  if (flipToo) {
    for (; top < bottom; ++top, --bottom) {
      std::uint8_t* a = pixels::rowAt(im, top);
      std::uint8_t* b = pixels::rowAt(im, bottom);
      mirroredRow(a, spare, im);
      mirroredRow(b, a, im);
      std::memcpy(b, spare, stride);
    }
  }
  for (std::int64_t r = top; r <= bottom; ++r) {
    std::uint8_t* row = pixels::rowAt(im, r);
    mirroredRow(row, spare, im);
    std::memcpy(row, spare, stride);
  }
  im.symmetry = Image::composeSymmetry(im.symmetry, kOpMirror);
  if (flipToo) im.symmetry = Image::composeSymmetry(im.symmetry, kOpFlip);
  return 1;
}

}  // namespace

int Image::flip(bool recordSymmetry) {
  if (pixels::rowsUsable(*this)) {
    for (std::int64_t i = 0; i < height / 2; ++i)
      swapRows(pixels::rowAt(*this, i), pixels::rowAt(*this, height - 1 - i), stride);
  }
  if (recordSymmetry) {
    symmetry = composeSymmetry(symmetry, kOpFlip);
    return 1;
  }
  // Storage-only form: the picture as seen stays, its storage direction turns.
  if (rowOrder == kRowsBottomUp)
    rowOrder = kRowsTopDown;
  else if (rowOrder == kRowsTopDown)
    rowOrder = kRowsBottomUp;
  if (pixels::isPackedDib(*this)) header()->biHeight = -header()->biHeight;
  return 1;
}

int Image::mirror() { return mirrorRows(*this, false); }

int Image::transpose() {
  if (!turnRows(*this, Turn::kTranspose)) return 0;
  if (layout == kLayoutPackedDib) symmetry = composeSymmetry(symmetry, kOpTranspose);
  return 1;
}

int Image::rotate90() {
  if (!turnRows(*this, Turn::kThenMirror)) return 0;
  if (layout == kLayoutPackedDib) symmetry = composeSymmetry(symmetry, kOpTranspose);
  symmetry = composeSymmetry(symmetry, kOpMirror);
  return 1;
}

int Image::rotate180() { return mirrorRows(*this, true); }

int Image::rotate270() {
  if (!turnRows(*this, Turn::kThenFlip)) return 0;
  if (layout == kLayoutPackedDib) symmetry = composeSymmetry(symmetry, kOpTranspose);
  symmetry = composeSymmetry(symmetry, kOpFlip);
  return 1;
}

int Image::composeSymmetry(int state, int operation) {
  // State after one more flip, mirror or transpose; the other codes are applied
  // as the step sequences that make them.
  static constexpr int kAfterFlip[8] = {4, 6, 7, 5, 0, 3, 1, 2};
  static constexpr int kAfterMirror[8] = {5, 7, 6, 4, 3, 0, 2, 1};
  static constexpr int kAfterTranspose[8] = {7, 4, 5, 6, 1, 2, 3, 0};
  if (state < 0 || state > 7 || operation < 0 || operation > 7) return -1;
  switch (operation) {
    case kOpFlip: return kAfterFlip[state];
    case kOpMirror: return kAfterMirror[state];
    case kOpTranspose: return kAfterTranspose[state];
    case 1: return kAfterMirror[kAfterTranspose[state]];
    case 2: return kAfterFlip[kAfterTranspose[state]];
    case 3: return kAfterMirror[kAfterFlip[state]];
    case 6: return kAfterFlip[kAfterMirror[kAfterTranspose[state]]];
    default: return state;
  }
}

int Image::applySymmetry(int state) {
  if (state < 0 || state > 7) return fail("Unknown symmetry state: %d", state);
  const bool transposing = state == 1 || state == 2 || state == 6 || state == 7;
  if (transposing && layout != kLayoutPackedDib) return 1;
  switch (state) {
    case 1: transpose() && mirror(); break;
    case 2: transpose() && flip(true); break;
    case 3: flip(true) && mirror(); break;
    case 4: flip(true); break;
    case 5: mirror(); break;
    case 6: transpose() && mirror() && flip(true); break;
    case 7: transpose(); break;
    default: break;
  }
  return 1;
}

}  // namespace orlim
