// Every hover change loads the JPEG decoder and decodes one picture from the resources, and
// every tab click three under one load, with no cache: these are the costs the pointer pays.
#include <benchmark/benchmark.h>

#include "shell/PublicFunctionUnit.h"
#include "shell/widgets/TImageEx.h"
#include "shell/window_fixture.h"

namespace {

class BenchWindow : public nv::test::WindowFixture {
 public:
  void TestBody() override {}
  void Start() { SetUp(); }
  using nv::test::WindowFixture::Probe;
  using nv::test::WindowFixture::Window;
};

void BM_LoadButtonPicture(benchmark::State& state) {
  BenchWindow fixture;
  fixture.Start();
  TImageEx* button = fixture.Probe().SpeedButton_RunAuto;
  bool hover = false;
  for (auto _ : state) {
    LoadButtonPicture(button, hover ? "SpeedButton_RunAuto" : "SpeedButton_RunAuto1");
    hover = !hover;
  }
}
BENCHMARK(BM_LoadButtonPicture)->Unit(benchmark::kMicrosecond);

void BM_TabSwitch(benchmark::State& state) {
  BenchWindow fixture;
  fixture.Start();
  TForm_Tarnel& w = fixture.Window();
  bool usage = false;
  for (auto _ : state) {
    if (usage)
      w.SpeedButton_UsageGraphClick();
    else
      w.SpeedButton_fullClick();
    usage = !usage;
  }
}
BENCHMARK(BM_TabSwitch)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
