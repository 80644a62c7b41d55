// One read of the 92-byte settings value and one write, on a hive of 1000 values.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/linux/registry/hive_registry.h"

namespace {

class HiveOfThousandValues {
 public:
  HiveOfThousandValues() {
    std::string pattern = (std::filesystem::temp_directory_path() / "norvane-bench-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    registry_ = std::make_unique<nv::HiveRegistry>(nv::HiveLocations{
        dir_ + "/HKEY_LOCAL_MACHINE.reg", dir_ + "/HKEY_CURRENT_USER.reg", dir_ + "/VirtualStore.reg",
        dir_ + "/autostart", dir_ + "/autostart", true});
    for (int k = 0; k < 10; ++k) {
      auto key =
          registry_->Open(nv::RootKey::HKeyLocalMachine, "Software\\Bench\\Key" + std::to_string(k), true).value();
      for (int v = 0; v < (k == 0 ? 99 : 100); ++v)
        key->Write("Value " + std::to_string(v), nv::RegValue::String("some text of a typical length, " + std::to_string(v)))
            .value();
    }
    settings_ = registry_->Open(nv::RootKey::HKeyLocalMachine, "Software\\Norvane", true).value();
    settings_->Write("NvSetInfo", nv::RegValue::Binary(std::vector<uint8_t>(92, 0x41))).value();
  }
  ~HiveOfThousandValues() { std::filesystem::remove_all(dir_); }
  nv::RegistryKey& Settings() { return *settings_; }

 private:
  std::string dir_;
  std::unique_ptr<nv::HiveRegistry> registry_;
  std::unique_ptr<nv::RegistryKey> settings_;
};

void BM_ReadSettingsValue(benchmark::State& state) {
  HiveOfThousandValues hive;
  for (auto _ : state) benchmark::DoNotOptimize(hive.Settings().Read("NvSetInfo"));
}
BENCHMARK(BM_ReadSettingsValue)->Unit(benchmark::kMicrosecond);

void BM_WriteSettingsValue(benchmark::State& state) {
  HiveOfThousandValues hive;
  std::vector<uint8_t> record(92, 0);
  for (auto _ : state) {
    ++record[0];  // a real change each time, so every iteration writes the file
    if (const auto written = hive.Settings().Write("NvSetInfo", nv::RegValue::Binary(record)); !written)
      state.SkipWithError(written.error().reason.c_str());
  }
}
BENCHMARK(BM_WriteSettingsValue)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
