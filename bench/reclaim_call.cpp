// One trim pass through norvane-reclaim against the same pass in process, over 1000 idle
// processes of the caller, the user nobody. Prints the medians of paired rounds and their ratio
// (target: the helper at most 1.2 x the pass in process). Needs root, to install a copy of the
// helper with its capability where it agrees to run; elsewhere it says so and ends.
#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/refresh/extra_processes.h"
#include "platform/linux/reclaim/helper_reclaimer.h"
#include "platform/linux/system/linux_processes.h"
#include "platform/linux/system/linux_reclaimer.h"
#include "reclaim/trim_capabilities.h"

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

// A root-owned copy of the helper with cap_sys_nice in a fresh folder of root's, removed at the end.
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
    ready_ = !failed && std::system(("setcap cap_sys_nice+ep " + path_).c_str()) == 0;
  }
  ~InstalledHelper() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const std::string& path() const { return path_; }
  bool ready() const { return ready_; }

 private:
  std::string folder_, path_;
  bool ready_ = false;
};

// Becomes the user nobody, keeping CAP_SYS_NICE alone: what the helper holds, so that the pass
// in process may advise the same processes as the helper.
bool BecomeNobodyWithCapSysNice() {
  const passwd* nobody = ::getpwnam("nobody");
  return nobody != nullptr && ::prctl(PR_SET_KEEPCAPS, 1, 0, 0, 0) == 0 && ::setgroups(0, nullptr) == 0 &&
         ::setresgid(nobody->pw_gid, nobody->pw_gid, nobody->pw_gid) == 0 &&
         ::setresuid(nobody->pw_uid, nobody->pw_uid, nobody->pw_uid) == 0 && nv::reclaim::KeepOnlyTrimCapabilities(false) &&
         // Changing uids made this process undumpable, and its forked children with it: the
         // kernel would let no one but root read their maps.
         ::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0) == 0;
}

// Measures as nobody, with the spawner's children nobody's as well.
void Measure(const std::string& helperPath) {
  nv::bench::ExtraProcesses::StartSpawner();
  nv::bench::ExtraProcesses::Resize(kExtraProcesses);
  {
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
    nv::HelperReclaimer helper(helperPath);
    Cost ours, throughHelper;
    // The rounds alternate which pass goes first, so that neither always meets the other's
    // leftovers.
    for (int round = 0; round <= kRounds; ++round) {
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
    }
    const double ratioReal = Median(throughHelper.realMs) / Median(ours.realMs);
    const double ratioCpu = Median(throughHelper.cpuMs) / Median(ours.cpuMs);
    std::printf("reclaim-call: one page-out pass by nobody over %zu idle processes of nobody's, %d paired rounds, medians:\n",
                pids.size(), kRounds);
    std::printf("  in process     %8.2f ms real %8.2f ms cpu  (%u advised)\n", Median(ours.realMs),
                Median(ours.cpuMs), ours.advised);
    std::printf("  through helper %8.2f ms real %8.2f ms cpu  (%u advised)\n", Median(throughHelper.realMs),
                Median(throughHelper.cpuMs), throughHelper.advised);
    std::printf("  ratio helper/in process: %.3f real, %.3f cpu (target <= 1.2): %s\n", ratioReal, ratioCpu,
                ratioReal <= 1.2 ? "met" : "missed");
  }
  nv::bench::ExtraProcesses::Stop();
}

}  // namespace

int main() {
  if (::geteuid() != 0) {
    std::printf("reclaim-call: needs root, to install a copy of the helper that it agrees to run\n");
    return 0;
  }
  InstalledHelper installed;
  if (!installed.ready()) {
    std::printf("reclaim-call: the helper could not be installed with cap_sys_nice\n");
    return 1;
  }
  std::fflush(stdout);
  // The measuring child gives up root; this process stays root to remove the installed copy.
  const pid_t child = ::fork();
  if (child == 0) {
    if (!BecomeNobodyWithCapSysNice()) {
      std::printf("reclaim-call: could not become nobody with CAP_SYS_NICE\n");
      ::_exit(1);
    }
    Measure(installed.path());
    std::fflush(stdout);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
