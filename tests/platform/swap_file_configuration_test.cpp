#include "platform/linux/swap_file_configuration.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "fakes/write_denied_folder.h"
#include "platform/temp_folder.h"

namespace nv {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::WriteText;

// The shell script of the unit's ExecStart as systemd hands it to /bin/sh.
std::string ExecStartScript(std::string unit) {
  unit = std::regex_replace(unit, std::regex("\\\\\n"), " ");
  const std::string prefix = "\nExecStart=/bin/sh -c '";
  const auto start = unit.find(prefix) + prefix.size();
  std::string script = unit.substr(start, unit.find("'\n", start) - start);
  return std::regex_replace(script, std::regex("\\$\\$"), "$");
}

uint64_t MemTotalKib() {
  std::ifstream meminfo("/proc/meminfo");
  std::string name;
  uint64_t kib = 0;
  while (meminfo >> name >> kib)
    if (name == "MemTotal:") return kib;
  return 0;
}

TEST(SwapFileConfiguration, EnablesItsUnitForTheNextBootUnderTheSystemRoot) {
  test::TempFolder root;
  SwapFileConfiguration paging(root.Path().string() + "/");
  std::string error;
  ASSERT_TRUE(paging.SetSystemManaged(error)) << error;
  ASSERT_TRUE(paging.SetSystemManaged(error)) << "running it again is no failure: " << error;

  const std::string unit = root / "etc/systemd/system/norvane-swapfile.service";
  EXPECT_EQ(ReadText(unit), SwapFileConfiguration::UnitText());
  EXPECT_EQ(fs::read_symlink(root / "etc/systemd/system/multi-user.target.wants/norvane-swapfile.service"),
            "/etc/systemd/system/norvane-swapfile.service");
  EXPECT_NE(ReadText(unit).find("\nWantedBy=multi-user.target\n"), std::string::npos);
  if (std::system("command -v systemd-analyze >/dev/null") == 0) {
    EXPECT_EQ(std::system(("systemd-analyze verify '" + unit + "'").c_str()), 0);
  }
}

TEST(SwapFileConfiguration, ReportsWhyItCouldNotWrite) {
  test::TempFolder root;
  fs::create_directories(root.Path() / "etc/systemd/system");
  test::WriteDeniedFolder denied(root.Path() / "etc/systemd/system");
  SwapFileConfiguration paging(root.Path().string());
  std::string error;
  EXPECT_FALSE(paging.SetSystemManaged(error));
  EXPECT_NE(error.find("etc/systemd/system"), std::string::npos) << error;
  EXPECT_NE(error.find("ermission denied"), std::string::npos) << error;
}

// Runs the unit's script with its system tools replaced by recorders.
TEST(SwapFileConfiguration, TheUnitSizesCreatesFormatsAndEnablesTheFileOnce) {
  test::TempFolder dir;
  const std::string log = dir / "calls";
  for (const char* tool : {"fallocate", "mkswap", "swapon"}) {
    const std::string path = dir / std::string("bin/") + tool;
    WriteText(path, std::string("#!/bin/sh\necho \"") + tool + " $*\" >> '" + log + "'\n" +
                        (std::string(tool) == "fallocate" ? "echo swap > \"$3\"\n" : ""));
    fs::permissions(path, fs::perms::owner_all);
  }
  const std::string swapFile = dir / "norvane.swap";
  WriteText(dir / "script.sh", ExecStartScript(SwapFileConfiguration::UnitText()));
  const std::string run = "SWAPFILE='" + swapFile + "' PATH='" + (dir / "bin") + "':$PATH sh '" + (dir / "script.sh") + "'";

  ASSERT_EQ(std::system(run.c_str()), 0);
  std::smatch size;
  const std::string calls = ReadText(log);
  ASSERT_TRUE(std::regex_search(calls, size, std::regex("^fallocate -l ([0-9]+)K " + swapFile + "\n"))) << calls;
  EXPECT_GE(std::stoull(size[1]), 65536u);
  EXPECT_LE(std::stoull(size[1]), MemTotalKib());
  EXPECT_NE(calls.find("mkswap " + swapFile + "\nswapon " + swapFile + "\n"), std::string::npos) << calls;
  EXPECT_EQ(fs::status(swapFile).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

  fs::remove(log);
  ASSERT_EQ(std::system(run.c_str()), 0);
  EXPECT_EQ(ReadText(log), "swapon " + swapFile + "\n") << "an existing file is only enabled";
}

}  // namespace
}  // namespace nv
