// `norvane-cli trim --system` as the user nobody, through pkexec and a polkitd of the test's own
// on a system bus of its own, with a rule that allows nobody the machine-wide trim and one that
// refuses it. Root only; the bus, polkitd, the action and the rule go in every way out.
#include <gtest/gtest.h>
#include <linux/magic.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "installed_copy.h"
#include "platform/child_process.h"
#include "platform/status_kilobytes.h"
#include "platform/temp_folder.h"

namespace nv {
namespace {

using test::AsNobody;
using test::RunCommand;

constexpr const char* kSystemBusSocket = "/run/dbus/system_bus_socket";
constexpr const char* kActionFile = "/usr/share/polkit-1/actions/com.velqor.norvane.trim-system.policy";
constexpr const char* kPolkitd = "/usr/lib/polkit-1/polkitd";
constexpr uint64_t kMappedBytes = uint64_t{64} << 20;

constexpr const char* kBusConfig = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=/run/dbus/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_type="method_return"/>
    <allow send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="signal"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
  </policy>
</busconfig>
)";

std::string WhyNotHere() {
  if (::geteuid() != 0) return "needs root, to start a system bus and polkitd and to run a program as nobody";
  for (const char* program : {"/usr/bin/pkexec", kPolkitd, "/usr/bin/dbus-daemon", "/usr/bin/busctl", "/usr/bin/setpriv"})
    if (::access(program, X_OK) != 0) return std::string("needs ") + program + " (Debian: pkexec, polkitd, dbus)";
  if (std::filesystem::exists(kSystemBusSocket)) return "a system bus runs already; this test starts a bus of its own";
  if (std::filesystem::exists(kActionFile)) return std::string("Norvane's polkit action is installed (") + kActionFile + ")";
  if (::getpwnam("nobody") == nullptr) return "there is no user nobody";
  return {};
}

bool WaitFor(const std::function<bool()>& ready) {
  for (int tries = 0; tries < 100; ++tries) {
    if (ready()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// A system bus and polkitd of the test's own, Norvane's polkit action naming the installed
// helper, and one rule for it that answers `result` (polkit.Result.YES or NO) for nobody.
class PolkitTrim : public ::testing::Test {
 protected:
  void StartPolkit(const std::string& result) {
    if (const std::string why = WhyNotHere(); !why.empty()) GTEST_SKIP() << why;
    cli_ = install_.Add(NORVANE_CLI);
    helper_ = install_.Add(NORVANE_RECLAIM);
    ASSERT_EQ(std::system(("setcap cap_sys_nice+ep " + helper_).c_str()), 0);

    std::string action = test::ReadText(NORVANE_POLKIT_ACTION);
    const std::string placeholder = "@NORVANE_RECLAIM_PATH@";
    action.replace(action.find(placeholder), placeholder.size(), helper_);
    test::WriteText(kActionFile, action);
    wroteAction_ = true;
    rules_ = "/etc/polkit-1/rules.d/49-norvane-test-" + std::to_string(::getpid()) + ".rules";
    test::WriteText(rules_, "polkit.addRule(function(action, subject) {\n"
                            "  if (action.id == \"com.velqor.norvane.trim-system\" && subject.user == \"nobody\")\n"
                            "    return " + result + ";\n});\n");

    test::WriteText(scratch_ / "bus.conf", kBusConfig);
    bus_ = std::make_unique<test::ChildProcess>(
        std::vector<std::string>{"/usr/bin/dbus-daemon", "--nofork", "--config-file=" + (scratch_ / "bus.conf")});
    ASSERT_TRUE(WaitFor([] { return std::filesystem::exists(kSystemBusSocket); })) << "the system bus did not start";
    polkitd_ = std::make_unique<test::ChildProcess>(std::vector<std::string>{kPolkitd, "--no-debug"});
    ASSERT_TRUE(WaitFor([] {
      return RunCommand("busctl --system --no-pager list 2>/dev/null").out.find("org.freedesktop.PolicyKit1") !=
             std::string::npos;
    })) << "polkitd did not take its name on the bus";
  }

  void TearDown() override {
    polkitd_.reset();
    bus_.reset();
    std::filesystem::remove(kSystemBusSocket);
    if (!rules_.empty()) std::filesystem::remove(rules_);
    if (wroteAction_) std::filesystem::remove(kActionFile);
  }

  // Root's child mapping 64 MiB of a file of root's on disk, every page touched.
  void StartRootsChild() {
    struct statfs fs {};
    ASSERT_EQ(::statfs(scratch_.Path().c_str(), &fs), 0);
    if (fs.f_type == TMPFS_MAGIC) GTEST_SKIP() << "the mapped file must live on a disk: tmpfs pages go to swap only";
    const std::string file = scratch_ / "mapped.bin";
    {
      std::ofstream out(file, std::ios::binary);
      const std::vector<char> chunk(1 << 20, 'r');
      for (uint64_t written = 0; written < kMappedBytes; written += chunk.size()) out.write(chunk.data(), chunk.size());
    }
    ::sync();
    child_ = std::make_unique<test::ChildProcess>(std::vector<std::string>{NV_HELPER, "map", file, std::to_string(kMappedBytes)});
    ASSERT_EQ(child_->ReadLine(), "ready");
    before_ = test::StatusKilobytes(child_->pid(), "RssFile");
    ASSERT_GE(before_, kMappedBytes / 1024);
  }

  test::CommandRun TrimSystemAsNobody() {
    return RunCommand(AsNobody() + "env -i " + cli_ + " trim --system --idle-age 1 2>&1 >/dev/null");
  }

  test::InstalledCopy install_;
  test::TempFolder scratch_;
  std::string cli_, helper_, rules_;
  bool wroteAction_ = false;
  std::unique_ptr<test::ChildProcess> bus_, polkitd_, child_;
  uint64_t before_ = 0;
};

TEST_F(PolkitTrim, AllowedByPolkitTheUsersSystemTrimPagesOutRootsProcess) {
  StartPolkit("polkit.Result.YES");
  if (IsSkipped()) return;
  StartRootsChild();
  const test::CommandRun run = TrimSystemAsNobody();
  EXPECT_EQ(run.exit, 0) << run.out;
  const uint64_t after = test::StatusKilobytes(child_->pid(), "RssFile");
  EXPECT_LE(after * 10, before_) << "RssFile " << before_ << " kB -> " << after << " kB";
}

TEST_F(PolkitTrim, RefusedByPolkitTheSystemTrimFailsNamingPolkitAndRootsProcessKeepsItsPages) {
  StartPolkit("polkit.Result.NO");
  if (IsSkipped()) return;
  StartRootsChild();
  const test::CommandRun run = TrimSystemAsNobody();
  EXPECT_EQ(run.exit, 4) << run.out;
  EXPECT_EQ(run.out, "norvane-cli: Other users' and system programs were left alone: polkit did not authorize it "
                     "(refused, or no authentication agent is running).\n");
  EXPECT_GE(test::StatusKilobytes(child_->pid(), "RssFile") * 10, before_ * 9);
}

}  // namespace
}  // namespace nv
