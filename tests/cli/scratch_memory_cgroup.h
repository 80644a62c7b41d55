#pragma once
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "platform/linux/system/cgroup_memory.h"
#include "platform/linux/system/proc_file.h"

namespace nv::test {

// A memory cgroup of its own for one test, under the root of whichever hierarchy this machine
// mounts (v1's memory controller first, else v2 with the memory controller enabled). Made only
// as root; removed by the destructor, whatever the test did, once its members have ended.
class ScratchMemoryCgroup {
 public:
  // Why no cgroup can be made here; empty when one was made.
  std::string unavailable;

  explicit ScratchMemoryCgroup(uint64_t limitBytes) {
    if (::geteuid() != 0) {
      unavailable = "making a memory cgroup needs root";
      return;
    }
    CgroupMounts mounts;
    char buffer[4096];
    const int fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    ForEachLine(fd, buffer, sizeof buffer, [&](std::string_view line) {
      TakeCgroupMountLine(line, mounts);
      return true;
    });
    if (fd >= 0) ::close(fd);
    const std::string name = "/norvane-test-" + std::to_string(::getpid()) + "-" +
                             std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    if (mounts.v1Memory) {
      version_ = 1;
      path_ = mounts.v1Memory->mountPoint + name;
    } else if (mounts.v2 && ReadText(mounts.v2->mountPoint + "/cgroup.subtree_control").find("memory") !=
                                std::string::npos) {
      version_ = 2;
      path_ = mounts.v2->mountPoint + name;
    } else {
      unavailable = "no memory cgroup hierarchy is mounted with its controller";
      return;
    }
    std::error_code error;
    if (!std::filesystem::create_directory(path_, error)) {
      unavailable = "cannot make " + path_ + ": " + error.message();
      path_.clear();
      return;
    }
    if (!WriteFigure(version_ == 1 ? "memory.limit_in_bytes" : "memory.max", limitBytes))
      unavailable = "cannot set the limit of " + path_;
  }

  ~ScratchMemoryCgroup() {
    if (path_.empty()) return;
    // The members have ended, but the kernel may take a moment to let go of the cgroup.
    for (int i = 0; i < 50 && ::rmdir(path_.c_str()) != 0 && errno == EBUSY; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ScratchMemoryCgroup(const ScratchMemoryCgroup&) = delete;
  ScratchMemoryCgroup& operator=(const ScratchMemoryCgroup&) = delete;

  int Version() const { return version_; }
  // The file a process writes its pid into to join.
  std::string ProcsFile() const { return path_ + "/cgroup.procs"; }
  // How often the cgroup's OOM killer has killed a member.
  std::optional<uint64_t> OomKills() const {
    std::istringstream in(ReadText(path_ + (version_ == 1 ? "/memory.oom_control" : "/memory.events")));
    std::string key;
    for (uint64_t value; in >> key >> value;)
      if (key == "oom_kill") return value;
    return std::nullopt;
  }

 private:
  static std::string ReadText(const std::string& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  bool WriteFigure(const std::string& file, uint64_t value) const {
    std::ofstream out(path_ + "/" + file);
    out << value;
    out.flush();
    return static_cast<bool>(out);
  }

  int version_ = 0;
  std::string path_;
};

}  // namespace nv::test
