#include "platform/linux/registry/swap_file_configuration.h"

#include <gtest/gtest.h>
#include <sys/vfs.h>

#include <cerrno>
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
  ASSERT_NO_THROW(paging.SetSystemManaged().value());
  ASSERT_NO_THROW(paging.SetSystemManaged().value()) << "running it again is no failure";

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
  const auto written = paging.SetSystemManaged();
  ASSERT_FALSE(written);
  const std::string& error = written.error().reason;
  EXPECT_EQ(written.error().systemError, EACCES);
  EXPECT_NE(error.find("etc/systemd/system"), std::string::npos) << error;
  EXPECT_NE(error.find("ermission denied"), std::string::npos) << error;
}

// Runs the unit's script with its system tools replaced by recorders.
TEST(SwapFileConfiguration, TheUnitSizesCreatesFormatsAndEnablesTheFileOnce) {
  test::TempFolder dir;
  const std::string log = dir / "calls";
  for (const char* tool : {"chattr", "fallocate", "mkswap", "swapon"}) {
    const std::string path = dir / std::string("bin/") + tool;
    // chattr also records the file's size: the attribute only holds on a file still empty.
    WriteText(path, std::string("#!/bin/sh\necho \"") + tool + " $*" +
                        (std::string(tool) == "chattr" ? " ($(stat -c %s \"$2\") bytes)" : "") + "\" >> '" + log +
                        "'\n" + (std::string(tool) == "fallocate" ? "echo swap > \"$3\"\n" : ""));
    fs::permissions(path, fs::perms::owner_all);
  }
  const std::string swapFile = dir / "norvane.swap";
  WriteText(dir / "script.sh", ExecStartScript(SwapFileConfiguration::UnitText()));
  const std::string run = "SWAPFILE='" + swapFile + "' PATH='" + (dir / "bin") + "':$PATH sh '" + (dir / "script.sh") + "'";

  ASSERT_EQ(std::system(run.c_str()), 0);
  std::smatch size;
  const std::string calls = ReadText(log);
  ASSERT_TRUE(std::regex_search(
      calls, size, std::regex("^chattr \\+C " + swapFile + " \\(0 bytes\\)\nfallocate -l ([0-9]+)K " + swapFile + "\n")))
      << "copy-on-write off before the blocks are allocated, as btrfs needs: " << calls;
  EXPECT_GE(std::stoull(size[1]), 65536u);
  EXPECT_LE(std::stoull(size[1]), MemTotalKib());
  EXPECT_NE(calls.find("mkswap " + swapFile + "\nswapon " + swapFile + "\n"), std::string::npos) << calls;
  EXPECT_EQ(fs::status(swapFile).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

  fs::remove(log);
  ASSERT_EQ(std::system(run.c_str()), 0);
  EXPECT_EQ(ReadText(log), "swapon " + swapFile + "\n") << "an existing file is only enabled";
}

TEST(SwapFileConfiguration, OnlyFileSystemsThatTakeASwapFileAreAccepted) {
  struct Row {
    uint64_t type;
    std::string refusing;
  } rows[] = {
      {0xEF53, ""}, {0x58465342, ""}, {0x9123683E, ""}, {0xF2F52010, ""},
      {0x01021994, "tmpfs"}, {0x6969, "NFS"}, {0xFF534D42, "CIFS"}, {0x794C7630, "overlayfs"},
      {0x12345678, "type 0x12345678"},
  };
  for (const auto& row : rows) EXPECT_EQ(SwapFileRefusingFileSystem(row.type), row.refusing) << std::hex << row.type;
}

TEST(SwapFileConfiguration, ARootOnTmpfsIsRefusedWithItsReason) {
  struct statfs shm {};
  if (::statfs("/dev/shm", &shm) != 0 || shm.f_type != 0x01021994) GTEST_SKIP() << "/dev/shm is not a tmpfs here";
  SwapFileConfiguration paging("/dev/shm");
  const auto held = paging.CanHoldPagingFile();
  ASSERT_FALSE(held);
  EXPECT_EQ(held.error().reason,
            "The root file system (tmpfs) cannot hold a swap file, so the system cannot manage the paging file. "
            "Nothing was changed.");

  SwapFileConfiguration thisMachine("/");
  struct statfs root {};
  ASSERT_EQ(::statfs("/", &root), 0);
  EXPECT_EQ(thisMachine.CanHoldPagingFile().has_value(), SwapFileRefusingFileSystem(root.f_type).empty());
}

}  // namespace
}  // namespace nv
