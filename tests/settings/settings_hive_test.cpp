#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "fakes/write_denied_folder.h"
#include "platform/linux/registry/hive_registry.h"
#include "platform/temp_folder.h"
#include "settings/settings_store.h"

namespace nv {
namespace {

const std::string kExe = "/usr/bin/norvane";

class SettingsInHivesTest : public ::testing::Test {
 protected:
  HiveLocations Locations(bool mayWriteMachine) const {
    return HiveLocations{dir_ / "HKEY_LOCAL_MACHINE.reg", dir_ / "HKEY_CURRENT_USER.reg",
                         dir_ / "VirtualStore/HKEY_LOCAL_MACHINE.reg", dir_ / "etc-autostart",
                         dir_ / "home-autostart", mayWriteMachine};
  }

  test::TempFolder dir_;
};

TEST_F(SettingsInHivesTest, ANormalUserKeepsSettingsAndAutostartInTheVirtualStore) {
  TSetInfo record;
  record.AutoTime = 500;
  record.HotKeys[3] = {true, 1334, 2, 'Q'};
  {
    HiveRegistry registry(Locations(false));
    SettingsStore store(registry, kExe);
    ASSERT_TRUE(store.SaveRecord(record));
    store.SaveAutostart(true);
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ / "HKEY_LOCAL_MACHINE.reg"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "VirtualStore/HKEY_LOCAL_MACHINE.reg"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "home-autostart/velqor-norvane.desktop"));

  // The next run of the same user finds both again.
  HiveRegistry registry(Locations(false));
  SettingsStore store(registry, kExe);
  const auto stored = store.Load(false);
  EXPECT_EQ(stored.record, record);
  EXPECT_TRUE(stored.autoStart);

  store.SaveAutostart(false);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "home-autostart/velqor-norvane.desktop"));
  EXPECT_FALSE(store.Load(false).autoStart);
}

// A start loads the settings and saves them back: with autostart off neither makes an empty Run
// key, and at the next start the same save does not write the hive again (the file keeps its
// inode, which an atomic replacement would change).
TEST_F(SettingsInHivesTest, ASaveOfWhatIsStoredWritesNothing) {
  HiveRegistry registry(Locations(true));
  SettingsStore store(registry, kExe);
  EXPECT_FALSE(store.Load(false).autoStart);
  ASSERT_TRUE(store.SaveRecord(TSetInfo{}));
  store.SaveAutostart(false);
  EXPECT_EQ(registry.Values(RootKey::HKeyLocalMachine, std::string(kRunKeyPath)), std::nullopt);
  const auto hive = dir_ / "HKEY_LOCAL_MACHINE.reg";
  struct stat first {};
  ASSERT_EQ(::stat(hive.c_str(), &first), 0);

  EXPECT_FALSE(store.Load(false).autoStart);
  ASSERT_TRUE(store.SaveRecord(TSetInfo{}));
  store.SaveAutostart(false);
  struct stat again {};
  ASSERT_EQ(::stat(hive.c_str(), &again), 0);
  EXPECT_EQ(again.st_ino, first.st_ino);
}

TEST_F(SettingsInHivesTest, WithoutAnyWritablePlaceNothingIsSavedAndLoadGivesTheDefaults) {
  std::filesystem::create_directories(dir_ / "VirtualStore");
  test::WriteDeniedFolder denied(dir_ / "VirtualStore");
  HiveRegistry registry(Locations(false));
  SettingsStore store(registry, kExe);
  EXPECT_FALSE(store.SaveRecord(TSetInfo{}));
  const auto stored = store.Load(false);
  EXPECT_EQ(stored.record, TSetInfo{});
  EXPECT_TRUE(stored.autoStart);
}

// A save killed at any moment leaves the old or the new record, never a damaged hive.
TEST_F(SettingsInHivesTest, AKillDuringASaveLeavesTheOldOrTheNewRecord) {
  // Neither is the default record, which a lost value would read as.
  TSetInfo first, second;
  first.StopAutoPercent = 33;
  second.EmptyClipboard = true;
  second.AutoTime = 59;
  second.HotKeys[0].Key = 'Z';
  {
    HiveRegistry registry(Locations(true));
    ASSERT_TRUE(SettingsStore(registry, kExe).SaveRecord(first));
  }
  std::mt19937 random(20070409);
  std::uniform_int_distribution<int> delayMicroseconds(0, 20000);
  int sawFirst = 0, sawSecond = 0;
  for (int round = 0; round < 40; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      HiveRegistry registry(Locations(true));
      SettingsStore store(registry, kExe);
      for (bool odd = false;; odd = !odd) store.SaveRecord(odd ? first : second);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);

    HiveRegistry registry(Locations(true));
    TSetInfo loaded;
    ASSERT_NO_THROW(loaded = SettingsStore(registry, kExe).Load(false).record) << "round " << round;
    ASSERT_TRUE(loaded == first || loaded == second) << "round " << round;
    (loaded == first ? sawFirst : sawSecond)++;
  }
  // Both records were seen, so the kills did land in the middle of the saving.
  EXPECT_GT(sawFirst, 0);
  EXPECT_GT(sawSecond, 0);
}

}  // namespace
}  // namespace nv
