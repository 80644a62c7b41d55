#pragma once
#include <spawn.h>
#include <sys/swap.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

extern char** environ;

namespace nv::test {

// A compressed swap device in memory for as long as the object lives: a zram device of its
// own (hot_add), made swap and switched on; switched off and removed again when the object
// goes, however the test ends. Needs root; otherwise, or where the kernel has no zram, it
// stays off and says why.
class ZramSwap {
 public:
  explicit ZramSwap(uint64_t bytes) {
    if (::geteuid() != 0) {
      whyNot_ = "a swap device can only be made by root";
      return;
    }
    std::ifstream added("/sys/class/zram-control/hot_add");
    if (!(added >> device_)) {
      device_ = -1;
      whyNot_ = "the kernel offers no zram devices (/sys/class/zram-control/hot_add)";
      return;
    }
    path_ = "/dev/zram" + std::to_string(device_);
    if (!Write("/sys/block/zram" + std::to_string(device_) + "/disksize", std::to_string(bytes))) {
      whyNot_ = "the size of " + path_ + " could not be set";
      return;
    }
    if (!MakeSwap()) {
      whyNot_ = "mkswap " + path_ + " failed";
      return;
    }
    // Above any swap the machine has, so that pages go to this device.
    if (::swapon(path_.c_str(), SWAP_FLAG_PREFER | (32767 & SWAP_FLAG_PRIO_MASK)) != 0) {
      whyNot_ = "swapon " + path_ + ": " + std::strerror(errno);
      return;
    }
    swapOn_ = true;
  }

  ~ZramSwap() { Remove(); }
  ZramSwap(const ZramSwap&) = delete;
  ZramSwap& operator=(const ZramSwap&) = delete;

  bool on() const { return swapOn_; }
  const std::string& whyNot() const { return whyNot_; }

  // Switches the swap off and gives the device back; safe to call more than once.
  void Remove() {
    if (swapOn_) ::swapoff(path_.c_str());
    swapOn_ = false;
    if (device_ >= 0) Write("/sys/class/zram-control/hot_remove", std::to_string(device_));
    device_ = -1;
  }

 private:
  static bool Write(const std::string& path, const std::string& text) {
    std::ofstream file(path);
    file << text;
    file.flush();
    return static_cast<bool>(file);
  }

  bool MakeSwap() const {
    const char* argv[] = {"mkswap", "-q", path_.c_str(), nullptr};
    pid_t pid = -1;
    if (::posix_spawnp(&pid, "mkswap", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return false;
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  int device_ = -1;
  bool swapOn_ = false;
  std::string path_;
  std::string whyNot_;
};

}  // namespace nv::test
