// One whole-memory tweak pass (level 2 and up) on a 1 GiB block, with a gauge that costs
// what the window's does per page, against plain memset writing the same bytes into a
// block from the same service. Prints the pass's rate as a share of memset's.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "engine/memory_tweak.h"
#include "platform/linux/system/linux_memory.h"

namespace {

constexpr uint64_t kBlock = uint64_t{1} << 30;
// The pass writes every byte twice: zeros, then 255.
constexpr int64_t kBytesWritten = 2 * static_cast<int64_t>(kBlock);

// The window's gauge counts each page and repaints only when its picture changes, about a
// thousand times over a pass; the repaint itself is left out.
class CountingGauge : public nv::ProgressGauge {
 public:
  void Start(uint64_t maximum) override {
    step_ = maximum / 1000 + 1;
    Restart();
  }
  void Restart() override {
    count_ = 0;
    Publish();
  }
  void Advance() override {
    if (++count_ >= next_) Publish();
  }
  void Hide() override {}
  uint64_t publishes = 0;

 private:
  void Publish() {
    ++publishes;
    next_ = count_ + step_;
    benchmark::DoNotOptimize(count_);
  }
  uint64_t count_ = 0, next_ = 0, step_ = 1;
};

void BM_TweakWholeRamPass(benchmark::State& state) {
  nv::LinuxMemory memory;
  bool refused = false;
  nv::MemoryTweak tweak(memory, [&](const std::string&) { refused = true; });
  CountingGauge gauge;
  for (auto _ : state) tweak.TweakWholeRam(kBlock, gauge);
  if (refused) state.SkipWithError("the system refused a 1 GiB block");
  state.SetBytesProcessed(state.iterations() * kBytesWritten);
}

// The same service, the same fresh block each time, the same bytes, in two plain memsets.
void BM_MemsetFreshBlock(benchmark::State& state) {
  nv::LinuxMemory memory;
  for (auto _ : state) {
    const auto block = memory.Commit(kBlock);
    if (!block) {
      state.SkipWithError(block.error().reason.c_str());
      break;
    }
    std::memset(*block, 0, kBlock);
    std::memset(*block, 0xFF, kBlock);
    benchmark::ClobberMemory();
    memory.Release(*block, kBlock);
  }
  state.SetBytesProcessed(state.iterations() * kBytesWritten);
}

// For reference: memset alone over a block whose pages are already present.
void BM_MemsetResidentBlock(benchmark::State& state) {
  nv::LinuxMemory memory;
  const auto block = memory.Commit(kBlock);
  if (!block) {
    state.SkipWithError(block.error().reason.c_str());
    return;
  }
  std::memset(*block, 0, kBlock);
  for (auto _ : state) {
    std::memset(*block, 0xFF, kBlock);
    std::memset(*block, 0, kBlock);
    benchmark::ClobberMemory();
  }
  memory.Release(*block, kBlock);
  state.SetBytesProcessed(state.iterations() * kBytesWritten);
}

BENCHMARK(BM_TweakWholeRamPass)->Unit(benchmark::kMillisecond)->Iterations(8)->Repetitions(3);
BENCHMARK(BM_MemsetFreshBlock)->Unit(benchmark::kMillisecond)->Iterations(8)->Repetitions(3);
BENCHMARK(BM_MemsetResidentBlock)->Unit(benchmark::kMillisecond)->Iterations(8)->Repetitions(3);

// Keeps the median CPU time per iteration of each benchmark for the ratio at the end: on a
// shared machine the wall time says more about the neighbours than about the fill.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> medianMs;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        medianMs[run.run_name.function_name] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& ms = reporter.medianMs;
  const auto pass = ms.find("BM_TweakWholeRamPass");
  const auto fresh = ms.find("BM_MemsetFreshBlock");
  const auto resident = ms.find("BM_MemsetResidentBlock");
  if (pass == ms.end() || fresh == ms.end() || resident == ms.end()) return 0;
  std::printf("\n(CPU time, page faults included)\nfill rate of the tweak pass / memset of a fresh block:    %.3f (target >= 0.8)\n",
              fresh->second / pass->second);
  std::printf("fill rate of the tweak pass / memset of a resident block: %.3f\n",
              resident->second / pass->second);
  return 0;
}
