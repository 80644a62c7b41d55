// One trim pass through norvane-reclaim against the same pass in this process, over 1000
// idle processes. Prints the medians of paired rounds and
// their ratio (target: the helper at most 1.2 x the pass in process). Needs root, to install a
// copy of the helper where it agrees to run; elsewhere it says so and ends.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/refresh/extra_processes.h"
#include "platform/linux/helper_reclaimer.h"
#include "platform/linux/linux_processes.h"
#include "platform/linux/linux_reclaimer.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kExtraProcesses = 1000;
constexpr int kRounds = 15;

double Seconds(const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; }

// CPU time of this process and of the children it has waited for, in milliseconds.
double CpuMs() {
  rusage self{}, children{};
  ::getrusage(RUSAGE_SELF, &self);
  ::getrusage(RUSAGE_CHILDREN, &children);
  return (Seconds(self.ru_utime) + Seconds(self.ru_stime) + Seconds(children.ru_utime) + Seconds(children.ru_stime)) * 1e3;
}

struct Cost {
  std::vector<double> realMs, cpuMs;
  uint32_t advised = 0;
};

void TimePass(nv::Reclaimer& reclaimer, const std::vector<uint32_t>& pids, Cost& cost) {
  const double cpu = CpuMs();
  const auto start = Clock::now();
  const nv::ReclaimOutcome outcome = reclaimer.Advise(pids, nv::ReclaimAdvice::PageOut);
  cost.realMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  cost.cpuMs.push_back(CpuMs() - cpu);
  cost.advised = outcome.advised;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A root-owned copy of the helper in a fresh folder of root's, removed at the end.
class InstalledHelper {
 public:
  InstalledHelper() {
    std::string pattern = (std::filesystem::temp_directory_path() / "norvane-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) folder_ = pattern;
    ::chmod(folder_.c_str(), 0755);
    path_ = folder_ + "/norvane-reclaim";
    std::error_code failed;
    std::filesystem::copy_file(NORVANE_RECLAIM, path_, failed);
    ::chmod(path_.c_str(), 0755);
  }
  ~InstalledHelper() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string folder_, path_;
};

}  // namespace

int main() {
  nv::bench::ExtraProcesses::StartSpawner();
  if (::geteuid() != 0) {
    std::printf("reclaim-call: needs root, to install a copy of the helper that it agrees to run\n");
    nv::bench::ExtraProcesses::Stop();
    return 0;
  }
  nv::bench::ExtraProcesses::Resize(kExtraProcesses);
  {
    InstalledHelper installed;
    nv::LinuxProcesses processes;
    const std::vector<nv::ProcessWalkEntry> walk = processes.Walk().value_or({});
    // The idle children of the spawner, the one child of this process: the other processes of
    // the machine are left alone.
    const auto self = static_cast<uint32_t>(::getpid());
    uint32_t spawner = 0;
    for (const auto& entry : walk)
      if (entry.ParentProcessID == self) spawner = entry.ProcessID;
    std::vector<uint32_t> pids;
    for (const auto& entry : walk)
      if (entry.ParentProcessID == spawner) pids.push_back(entry.ProcessID);

    nv::LinuxReclaimer inProcess;
    nv::HelperReclaimer helper(installed.path());
    Cost ours, throughHelper;
    // The helper makes one page-out pass a second; the rounds keep to it, and alternate which
    // pass goes first so that neither always meets the other's leftovers.
    for (int round = 0; round <= kRounds; ++round) {
      const auto roundStart = Clock::now();
      Cost warmUp;
      Cost& oursCost = round == 0 ? warmUp : ours;
      Cost& helperCost = round == 0 ? warmUp : throughHelper;
      if (round % 2) {
        TimePass(inProcess, pids, oursCost);
        TimePass(helper, pids, helperCost);
      } else {
        TimePass(helper, pids, helperCost);
        TimePass(inProcess, pids, oursCost);
      }
      std::this_thread::sleep_until(roundStart + std::chrono::milliseconds(1050));
    }
    const double ratioReal = Median(throughHelper.realMs) / Median(ours.realMs);
    const double ratioCpu = Median(throughHelper.cpuMs) / Median(ours.cpuMs);
    std::printf("reclaim-call: one page-out pass over %zu idle processes, %d paired rounds, medians:\n",
                pids.size(), kRounds);
    std::printf("  in process     %8.2f ms real %8.2f ms cpu  (%u advised)\n", Median(ours.realMs),
                Median(ours.cpuMs), ours.advised);
    std::printf("  through helper %8.2f ms real %8.2f ms cpu  (%u advised)\n", Median(throughHelper.realMs),
                Median(throughHelper.cpuMs), throughHelper.advised);
    std::printf("  ratio helper/in process: %.3f real, %.3f cpu (target <= 1.2): %s\n", ratioReal, ratioCpu,
                ratioReal <= 1.2 ? "met" : "missed");
  }
  nv::bench::ExtraProcesses::Stop();
  return 0;
}
