// How long one generation takes: reseed from the counter, three draws, the two strings.
#include <benchmark/benchmark.h>

#include "generator.h"
#include "mutation.h"

namespace {

void BM_GeneratePassword(benchmark::State& state) {
  for (auto _ : state) {
    orvgen::PasswordAndHint generated = orvgen::GeneratePassword();
    benchmark::DoNotOptimize(generated);
  }
}
BENCHMARK(BM_GeneratePassword);

void BM_DrawWordPositions(benchmark::State& state) {
  orvgen::RandomState = 1;
  for (auto _ : state) benchmark::DoNotOptimize(orvgen::DrawWordPositions());
}
BENCHMARK(BM_DrawWordPositions);

void BM_MutatePassword(benchmark::State& state) {
  const std::u16string text = u"accASSthu";
  for (auto _ : state) benchmark::DoNotOptimize(orvgen::MutatePassword(text));
}
BENCHMARK(BM_MutatePassword);

}  // namespace

BENCHMARK_MAIN();
