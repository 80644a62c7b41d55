// The real program under X: what its start-up stores and grabs, and what its hot keys do.
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "platform/linux/registry/autostart_entry.h"
#include "platform/linux/registry/hive_environment.h"
#include "platform/reachable_copy.h"
#include "platform/temp_folder.h"
#include "settings/set_info.h"
#include "settings/settings_store.h"
#include "fakes/x11_grab_probe.h"
#include "program_home_variables.h"

extern char** environ;

namespace nv {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
constexpr auto HKLM = RootKey::HKeyLocalMachine;
constexpr uint16_t kShift = XCB_MOD_MASK_SHIFT, kControl = XCB_MOD_MASK_CONTROL, kAlt = XCB_MOD_MASK_1;

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 30s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(100ms);
  }
  return condition();
}

class SettingsProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(probe_.Connected()) << "needs an X display";
    const auto variables = test::ProgramHomeVariables(Home());
    environment_ = {variables.begin(), variables.end()};
    environment_["NORVANE_UPDATE_HOST"] = "127.0.0.1:9";
    for (const auto& [name, value] : environment_) ::setenv(name.c_str(), value.c_str(), 1);
    ::unsetenv("QT_QPA_PLATFORM");  // the program must reach the X display
    ASSERT_TRUE(test::MakeRuntimeFolder(Home()));
    // The hives as the program sees them, with the rights it will have.
    registry_ = MakeHiveRegistry();
  }

  void TearDown() override {
    if (program_ > 0) {
      ::kill(program_, SIGKILL);
      ::waitpid(program_, nullptr, 0);
    }
  }

  // Starts the program and waits for its window: the first showing, which loads, saves and
  // registers, is over once the window is on screen. Probing grabs earlier could take a
  // combination away from the program for a moment.
  // `asUser` starts a copy that user can reach under that account through setpriv.
  void Start(const passwd* asUser = nullptr) {
    std::vector<std::string> words;
    if (asUser) {
      if (!copy_) copy_ = std::make_unique<test::ReachableCopy>(kProgram);
      words = {"setpriv", "--reuid=" + std::to_string(asUser->pw_uid), "--regid=" + std::to_string(asUser->pw_gid),
               "--clear-groups", copy_->Path()};
    } else {
      words = {kProgram};
    }
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    ASSERT_EQ(::posix_spawnp(&program_, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    ASSERT_TRUE(WaitFor([] {
      return std::system("xdotool search --onlyvisible --name '^Velqor Norvane$' >/dev/null 2>&1") == 0;
    })) << "no window";
  }

  // The exit code once the program has ended by itself, or -1.
  int WaitForExit(std::chrono::milliseconds limit = 15s) {
    int status = 0;
    const bool ended = WaitFor([&] { return ::waitpid(program_, &status, WNOHANG) == program_; }, limit);
    if (!ended) return -1;
    program_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  static void Press(const char* keys) {
    const std::string command = std::string("xdotool key --clearmodifiers ") + keys;
    ASSERT_EQ(std::system(command.c_str()), 0);
  }

  std::optional<RegValue> Stored(const char* path, const char* name) { return registry_->ReadValue(HKLM, path, name); }
  std::optional<RegValue> Record() { return Stored(SettingsStore::kSettingsKey, SettingsStore::kSettingsValue); }
  std::optional<RegValue> RunValue() { return Stored(kRunKeyPath, kAutostartValueName); }
  fs::path AutostartEntry() const { return dir_ / "home/autostart/velqor-norvane.desktop"; }
  std::string Home() const { return dir_ / "home"; }
  static std::string ProgramPath() { return fs::canonical(kProgram).string(); }

  bool HoldsAllDefaultHotKeys() {
    for (uint32_t keysym : {'a', 't', 'm', 'e'})
      if (!probe_.HeldElsewhere(keysym, kAlt | kShift)) return false;
    return true;
  }

  static constexpr const char* kProgram = NORVANE_BINARY;
  test::TempFolder dir_;
  std::unique_ptr<test::ReachableCopy> copy_;
  std::map<std::string, std::string> environment_;
  std::unique_ptr<HiveRegistry> registry_;
  test::X11GrabProbe probe_;
  pid_t program_ = 0;
};

TEST_F(SettingsProgramTest, FirstStartStoresTheDefaultsAndGrabsTheFourHotKeys) {
  Start();
  const auto defaults = SerializeSetInfo(TSetInfo{});
  ASSERT_TRUE(Record().has_value()) << "no settings stored";
  EXPECT_EQ(Record()->type, reg::Binary);
  EXPECT_EQ(Record()->data, std::vector<uint8_t>(defaults.begin(), defaults.end()));
  ASSERT_TRUE(HoldsAllDefaultHotKeys());
  EXPECT_FALSE(RunValue().has_value());
  EXPECT_FALSE(fs::exists(AutostartEntry()));

  // Alt+Shift+E ends the program although "Minimize to tray when close window " is checked.
  Press("alt+shift+e");
  EXPECT_EQ(WaitForExit(), 0);
  EXPECT_FALSE(probe_.HeldElsewhere('a', kAlt | kShift)) << "the grabs end with the program";
}

TEST_F(SettingsProgramTest, AStoredCtrlQOnTheExitSlotEndsTheProgram) {
  TSetInfo record;
  record.HotKeys[3] = {true, 1334, 2, 'Q'};  // Ctrl+Q; slot 3 keeps Alt+Shift+M
  const auto bytes = SerializeSetInfo(record);
  ASSERT_TRUE(registry_->WriteValue(HKLM, SettingsStore::kSettingsKey, SettingsStore::kSettingsValue,
                                    RegValue::Binary({bytes.begin(), bytes.end()})));
  Start();
  ASSERT_TRUE(probe_.HeldElsewhere('q', kControl));
  ASSERT_TRUE(probe_.HeldElsewhere('m', kAlt | kShift));
  EXPECT_FALSE(probe_.HeldElsewhere('e', kAlt | kShift)) << "the old exit combination is free";

  Press("ctrl+q");
  EXPECT_EQ(WaitForExit(), 0);
}

TEST_F(SettingsProgramTest, AutostartEntryFollowsTheRunValueAtEachStart) {
  // Differs from the program's path only in letter case and surrounding blanks.
  std::string loose = ProgramPath();
  for (char& c : loose) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  ASSERT_TRUE(registry_->WriteValue(HKLM, kRunKeyPath, kAutostartValueName,
                                    RegValue::String("  " + loose + "  ")));
  Start();
  ASSERT_TRUE(RunValue() && RunValue()->AsString() == ProgramPath())
      << "the start-up save rewrites the exact path";
  ASSERT_TRUE(fs::exists(AutostartEntry()));
  EXPECT_NE(test::ReadText(AutostartEntry()).find("\nExec=" + QuoteExecArgument(ProgramPath()) + "\n"), std::string::npos)
      << test::ReadText(AutostartEntry());
  ASSERT_TRUE(HoldsAllDefaultHotKeys());
  Press("alt+shift+e");
  ASSERT_EQ(WaitForExit(), 0);

  // An entry naming another program is not ours: the box starts unchecked and the save removes it.
  ASSERT_TRUE(registry_->WriteValue(HKLM, kRunKeyPath, kAutostartValueName,
                                    RegValue::String("/usr/bin/another-optimizer")));
  ASSERT_TRUE(fs::exists(AutostartEntry()));
  Start();
  ASSERT_FALSE(RunValue().has_value());
  EXPECT_FALSE(fs::exists(AutostartEntry()));
  ASSERT_TRUE(HoldsAllDefaultHotKeys());
  Press("alt+shift+e");
  EXPECT_EQ(WaitForExit(), 0);
}

TEST_F(SettingsProgramTest, ACombinationHeldByAnotherClientLeavesTheOthersWorking) {
  test::X11GrabProbe other;
  ASSERT_TRUE(other.Grab('t', kAlt | kShift));
  Start();
  for (uint32_t keysym : {'a', 'm', 'e'}) EXPECT_TRUE(probe_.HeldElsewhere(keysym, kAlt | kShift)) << char(keysym);
  Press("alt+shift+e");
  EXPECT_EQ(WaitForExit(), 0);
}

// A normal user may not write the machine hive: the program keeps the settings in that
// user's virtual store and finds them there at the next start.
TEST_F(SettingsProgramTest, ANormalUserKeepsTheSettingsInTheVirtualStore) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to start the program as another user";
  const passwd* user = ::getpwnam("nobody");
  ASSERT_NE(user, nullptr);
  const auto own = [user](const fs::path& path) { ASSERT_EQ(::chown(path.c_str(), user->pw_uid, user->pw_gid), 0) << path; };
  fs::permissions(dir_.Path(), fs::perms(0755));
  fs::create_directories(dir_ / "home/registry/VirtualStore");
  fs::create_directories(dir_ / "home/autostart");
  for (const char* folder : {"home/registry/VirtualStore", "home/autostart", "home", "home/run"}) own(dir_ / folder);
  // The user's copy of the display's cookie, for the program only.
  struct RestoredVariable {
    std::optional<std::string> saved;
    ~RestoredVariable() {
      if (saved) ::setenv("XAUTHORITY", saved->c_str(), 1);
    }
  } restore;
  if (const char* auth = std::getenv("XAUTHORITY")) {
    restore.saved = auth;
    fs::copy_file(auth, dir_ / "home/.Xauthority");
    own(dir_ / "home/.Xauthority");
    ::setenv("XAUTHORITY", (dir_ / "home/.Xauthority").c_str(), 1);
  }
  HiveLocations locations = HiveLocationsFrom(
      [this](const char* name) -> std::optional<std::string> {
        const auto it = environment_.find(name);
        return it == environment_.end() ? std::nullopt : std::optional<std::string>(it->second);
      },
      dir_ / "home");
  locations.mayWriteMachine = false;
  HiveRegistry usersView(locations);

  Start(user);
  EXPECT_FALSE(fs::exists(dir_ / "home/registry/HKEY_LOCAL_MACHINE.reg")) << "the machine hive is not the user's";
  const auto stored = usersView.ReadValue(HKLM, SettingsStore::kSettingsKey, SettingsStore::kSettingsValue);
  ASSERT_TRUE(stored.has_value());
  const auto defaults = SerializeSetInfo(TSetInfo{});
  EXPECT_EQ(stored->data, std::vector<uint8_t>(defaults.begin(), defaults.end()));
  ASSERT_TRUE(HoldsAllDefaultHotKeys());
  Press("alt+shift+e");
  ASSERT_EQ(WaitForExit(), 0);

  TSetInfo record;
  record.HotKeys[3] = {true, 1334, 2, 'Q'};
  const auto bytes = SerializeSetInfo(record);
  ASSERT_TRUE(usersView.WriteValue(HKLM, SettingsStore::kSettingsKey, SettingsStore::kSettingsValue,
                                   RegValue::Binary({bytes.begin(), bytes.end()})));
  for (const auto& file : fs::directory_iterator(dir_ / "home/registry/VirtualStore")) own(file.path());
  Start(user);
  ASSERT_TRUE(probe_.HeldElsewhere('q', kControl)) << "the user's own record was loaded";
  Press("ctrl+q");
  EXPECT_EQ(WaitForExit(), 0);
}

}  // namespace
}  // namespace nv
