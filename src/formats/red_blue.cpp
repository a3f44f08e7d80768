#include "formats/red_blue.h"

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#endif

namespace orlim {

namespace {

void swapRedBluePlain(const std::uint8_t* __restrict in, std::uint8_t* __restrict out, std::int64_t pixels) {
  for (std::int64_t x = 0; x < pixels; ++x, in += 3, out += 3) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
  }
}

#if defined(__x86_64__) || defined(__i386__)
// Five pixels per shuffle: each 16-byte load and store covers the five and one
// byte of the next pixel, stored unchanged and rewritten by the next store (or
// the plain tail), so nothing past the row is read or written.
__attribute__((target("ssse3"))) void swapRedBlueShuffled(const std::uint8_t* in, std::uint8_t* out,
                                                          std::int64_t pixels) {
  const __m128i swap = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  std::int64_t x = 0;
  for (; x + 6 <= pixels; x += 5) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * x), _mm_shuffle_epi8(v, swap));
  }
  swapRedBluePlain(in + 3 * x, out + 3 * x, pixels - x);
}
#endif

}  // namespace

void swapRedBlue(const std::uint8_t* in, std::uint8_t* out, std::int64_t pixels) {
#if defined(__x86_64__) || defined(__i386__)
  static const bool shuffles = __builtin_cpu_supports("ssse3");
  if (shuffles) return swapRedBlueShuffled(in, out, pixels);
#endif
  swapRedBluePlain(in, out, pixels);
}

}  // namespace orlim
