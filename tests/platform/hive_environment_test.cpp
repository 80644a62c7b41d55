#include "platform/linux/registry/hive_environment.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "fakes/write_denied_folder.h"
#include "platform/temp_folder.h"

namespace nv {
namespace {

TEST(HiveEnvironment, LocationsFollowTheEnvironment) {
  struct Case {
    std::map<std::string, std::string> environment;
    HiveLocations expected;
  } cases[] = {
      {{},
       {"/var/lib/norvane/HKEY_LOCAL_MACHINE.reg", "/home/u/.config/norvane/HKEY_CURRENT_USER.reg",
        "/home/u/.local/state/norvane/VirtualStore/HKEY_LOCAL_MACHINE.reg", "/etc/xdg/autostart",
        "/home/u/.config/autostart", false}},
      {{{"XDG_CONFIG_HOME", "/cfg"}, {"XDG_STATE_HOME", "/state"}},
       {"/var/lib/norvane/HKEY_LOCAL_MACHINE.reg", "/cfg/norvane/HKEY_CURRENT_USER.reg",
        "/state/norvane/VirtualStore/HKEY_LOCAL_MACHINE.reg", "/etc/xdg/autostart", "/cfg/autostart", false}},
      // Relative base folders are not valid and are ignored.
      {{{"XDG_CONFIG_HOME", "cfg"}, {"XDG_STATE_HOME", ""}},
       {"/var/lib/norvane/HKEY_LOCAL_MACHINE.reg", "/home/u/.config/norvane/HKEY_CURRENT_USER.reg",
        "/home/u/.local/state/norvane/VirtualStore/HKEY_LOCAL_MACHINE.reg", "/etc/xdg/autostart",
        "/home/u/.config/autostart", false}},
      {{{"NORVANE_REGISTRY_DIR", "/r"}, {"NORVANE_AUTOSTART_DIR", "/a"}, {"XDG_CONFIG_HOME", "/cfg"}},
       {"/r/HKEY_LOCAL_MACHINE.reg", "/r/HKEY_CURRENT_USER.reg", "/r/VirtualStore/HKEY_LOCAL_MACHINE.reg", "/a", "/a",
        false}},
  };
  for (const auto& c : cases) {
    const HiveLocations at = HiveLocationsFrom(
        [&](const char* name) -> std::optional<std::string> {
          const auto it = c.environment.find(name);
          return it == c.environment.end() ? std::nullopt : std::optional<std::string>(it->second);
        },
        "/home/u");
    EXPECT_EQ(at.machineHive, c.expected.machineHive);
    EXPECT_EQ(at.userHive, c.expected.userHive);
    EXPECT_EQ(at.virtualStoreHive, c.expected.virtualStoreHive);
    EXPECT_EQ(at.machineAutostartDir, c.expected.machineAutostartDir);
    EXPECT_EQ(at.userAutostartDir, c.expected.userAutostartDir);
  }
}

TEST(HiveEnvironment, TheCacheFolderIsAnAbsoluteXdgCacheHomeOrTheHomesCache) {
  const struct {
    std::optional<std::string> cacheHome;
    const char* folder;
  } cases[] = {{"/srv/cache", "/srv/cache"}, {"relative/cache", "/home/u/.cache"}, {"", "/home/u/.cache"},
               {std::nullopt, "/home/u/.cache"}};
  for (const auto& c : cases) {
    const auto environment = [&](const char* name) {
      return std::string(name) == "XDG_CACHE_HOME" ? c.cacheHome : std::nullopt;
    };
    EXPECT_EQ(UserCacheFolderFrom(environment, "/home/u"), c.folder) << c.cacheHome.value_or("(unset)");
  }
}

TEST(HiveEnvironment, RootsProgramCacheIsTheSystemsUnlessXdgCacheHomeNamesAnother) {
  const struct {
    std::optional<std::string> cacheHome;
    bool root;
    const char* folder;
  } cases[] = {{std::nullopt, false, "/home/u/.cache/norvane"}, {std::nullopt, true, "/var/cache/norvane"},
               {"relative", true, "/var/cache/norvane"}, {"/srv/cache", true, "/srv/cache/norvane"},
               {"/srv/cache", false, "/srv/cache/norvane"}};
  for (const auto& c : cases) {
    const auto environment = [&](const char* name) {
      return std::string(name) == "XDG_CACHE_HOME" ? c.cacheHome : std::nullopt;
    };
    EXPECT_EQ(ProgramCacheFolderFrom(environment, "/home/u", c.root), c.folder) << c.cacheHome.value_or("(unset)");
  }
}

TEST(HiveEnvironment, AFolderNotYetMadeIsWritableWhenItsParentIs) {
  test::TempFolder dir;
  EXPECT_TRUE(MayWriteDirectory(dir / "not/yet/made"));
  test::WriteDeniedFolder denied(dir.Path());
  EXPECT_FALSE(MayWriteDirectory(dir / "not/yet/made"));
  EXPECT_FALSE(MayWriteDirectory(dir.Path().string()));
}

}  // namespace
}  // namespace nv
