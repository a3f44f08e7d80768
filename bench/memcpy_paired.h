// Paint benchmarks measured against one memcpy of the window's bytes, each copy
// timed right before each paint, so that both run under the same load (which on
// a shared machine varies a lot).
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

namespace orlim::bench {

constexpr int kWindowWidth = 1920, kWindowHeight = 1080;

// Runs `paint` per iteration after the copy and reports the copy's time
// (`memcpy_ms`) and the paint's as a multiple of it (`x_memcpy`).
template <class Paint>
void measureAgainstMemcpy(benchmark::State& state, Paint paint) {
  static std::vector<std::uint32_t> from(std::size_t(kWindowWidth) * kWindowHeight, 1), to(from.size());
  double paintSeconds = 0, copySeconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const auto copyStart = std::chrono::steady_clock::now();
    std::memcpy(to.data(), from.data(), from.size() * 4);
    benchmark::ClobberMemory();
    copySeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - copyStart).count();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    paint();
    paintSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  state.counters["memcpy_ms"] = copySeconds * 1000 / double(state.iterations());
  state.counters["x_memcpy"] = paintSeconds / copySeconds;
}

}  // namespace orlim::bench
