#include "platform/raster/row_kernels.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ORLIM_HAVE_SSSE3_KERNELS 1
#endif

namespace orlim::raster {

namespace {

std::uint32_t load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void expandBgr24Scalar(const std::uint8_t* p, std::int64_t count, std::uint32_t* out) {
  std::int64_t i = 0;
  // Four pixels from three 32-bit words: BGRB GRBG RBGR.
  for (; i + 4 <= count; i += 4, p += 12) {
    const std::uint32_t w0 = load32(p), w1 = load32(p + 4), w2 = load32(p + 8);
    out[i] = w0 & 0xFFFFFF;
    out[i + 1] = (w0 >> 24) | ((w1 & 0xFFFF) << 8);
    out[i + 2] = (w1 >> 16) | ((w2 & 0xFF) << 16);
    out[i + 3] = w2 >> 8;
  }
  for (; i < count; ++i, p += 3) out[i] = p[0] | (p[1] << 8) | (std::uint32_t{p[2]} << 16);
}

#ifdef ORLIM_HAVE_SSSE3_KERNELS
__attribute__((target("ssse3"))) void expandBgr24Ssse3(const std::uint8_t* p, std::int64_t count, std::uint32_t* out) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  std::int64_t i = 0;
  // Each 16-byte load takes four pixels and four bytes of the next ones, so the
  // loop stops while at least two more pixels follow.
  for (; i + 18 <= count; i += 16, p += 48) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 24));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 36));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_shuffle_epi8(a, spread));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 4), _mm_shuffle_epi8(b, spread));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_shuffle_epi8(c, spread));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 12), _mm_shuffle_epi8(d, spread));
  }
  expandBgr24Scalar(p, count - i, out + i);
}

__attribute__((target("ssse3"))) std::int64_t halveBgr24Ssse3(const std::uint8_t* p, std::int64_t count,
                                                              std::int64_t available, std::uint32_t* out) {
  // Four results from source pixels 0, 2, 4 (first load) and 6 (second load).
  const __m128i low = _mm_setr_epi8(0, 1, 2, -1, 6, 7, 8, -1, 12, 13, 14, -1, -1, -1, -1, -1);
  const __m128i high = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 6, 7, 8, -1);
  std::int64_t i = 0;
  for (; i + 4 <= count && 24 * (i / 4) + 28 <= available; i += 4, p += 24) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_or_si128(_mm_shuffle_epi8(a, low), _mm_shuffle_epi8(b, high)));
  }
  return i;
}

bool haveSsse3() {
  static const bool have = __builtin_cpu_supports("ssse3");
  return have;
}
#endif

}  // namespace

void expandBgr24(const std::uint8_t* source, std::int64_t count, std::uint32_t* out) {
#ifdef ORLIM_HAVE_SSSE3_KERNELS
  if (haveSsse3()) return expandBgr24Ssse3(source, count, out);
#endif
  expandBgr24Scalar(source, count, out);
}

void halveBgr24(const std::uint8_t* source, std::int64_t count, std::int64_t available, std::uint32_t* out) {
  std::int64_t i = 0;
#ifdef ORLIM_HAVE_SSSE3_KERNELS
  if (haveSsse3()) i = halveBgr24Ssse3(source, count, available, out);
#endif
  for (const std::uint8_t* p = source + 6 * i; i < count; ++i, p += 6)
    out[i] = p[0] | (p[1] << 8) | (std::uint32_t{p[2]} << 16);
}

void gatherBgr24(const std::uint8_t* row, const std::int32_t* columns, std::int64_t count, std::int32_t lastColumn,
                 std::uint32_t* out) {
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int32_t x = columns[i];
    const std::uint8_t* p = row + 3 * std::int64_t{x};
    out[i] = x != lastColumn ? load32(p) & 0xFFFFFF : p[0] | (p[1] << 8) | (std::uint32_t{p[2]} << 16);
  }
}

}  // namespace orlim::raster
