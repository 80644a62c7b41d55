#include "cli/reg_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/temp_folder.h"

namespace nv::cli {
namespace {

class RegCommandTest : public ::testing::Test {
 protected:
  struct Result {
    int exit;
    std::string out, err;
  };
  Result Reg(const Arguments& args) {
    std::ostringstream out, err;
    const int exit = RunReg(registry_, args, out, err);
    return {exit, out.str(), err.str()};
  }

  test::TempFolder dir_;
  HiveRegistry registry_{HiveLocations{dir_ / "HKEY_LOCAL_MACHINE.reg", dir_ / "HKEY_CURRENT_USER.reg",
                                       dir_ / "VirtualStore.reg", dir_ / "autostart", dir_ / "autostart", true}};
};

TEST_F(RegCommandTest, AddedValuesQueryBackInTheirTypes) {
  struct Case {
    const char* type;
    const char* data;
    const char* shown;
    RegValue stored;
  } cases[] = {
      {"REG_SZ", "C:\\Program Files\\x \"y\"", "REG_SZ    C:\\Program Files\\x \"y\"",
       RegValue::String("C:\\Program Files\\x \"y\"")},
      {"reg_expand_sz", "%HOME%/x", "REG_EXPAND_SZ    %HOME%/x", RegValue::String("%HOME%/x", reg::ExpandSz)},
      {"REG_DWORD", "4294967295", "REG_DWORD    0xffffffff", RegValue::Dword(0xFFFFFFFFu)},
      {"REG_DWORD", "0x2A", "REG_DWORD    0x2a", RegValue::Dword(42)},
      {"REG_BINARY", "00ff7Fa0", "REG_BINARY    00FF7FA0", RegValue::Binary({0x00, 0xFF, 0x7F, 0xA0})},
      {"REG_BINARY", "", "REG_BINARY    ", RegValue::Binary({})},
      {"REG_MULTI_SZ", "D:\\pagefile.sys 0 0", "REG_MULTI_SZ    D:\\pagefile.sys 0 0",
       RegValue{reg::MultiSz, {'D', ':', '\\', 'p', 'a', 'g', 'e', 'f', 'i', 'l', 'e', '.', 's', 'y', 's', ' ', '0', ' ', '0', 0, 0}}},
      {"REG_MULTI_SZ", "a\\0b", "REG_MULTI_SZ    a\\0b", RegValue{reg::MultiSz, {'a', 0, 'b', 0, 0}}},
      {"REG_MULTI_SZ", "", "REG_MULTI_SZ    ", RegValue{reg::MultiSz, {0}}},
  };
  for (const auto& c : cases) {
    const auto added = Reg({"add", "HKLM\\Software\\Norvane", "Value", c.type, c.data});
    ASSERT_EQ(added.exit, 0) << c.type << " " << c.data << ": " << added.err;
    EXPECT_EQ(registry_.ReadValue(RootKey::HKeyLocalMachine, "Software\\Norvane", "Value"), c.stored) << c.data;
    const auto queried = Reg({"query", "hkey_local_machine\\software\\norvane", "VALUE"});
    EXPECT_EQ(queried.exit, 0);
    EXPECT_EQ(queried.out, "HKEY_LOCAL_MACHINE\\software\\norvane\n    Value    " + std::string(c.shown) + "\n");
  }
}

TEST_F(RegCommandTest, QueryListsEveryValueAndFailsOnWhatDoesNotExist) {
  ASSERT_EQ(Reg({"add", "HKCU\\Software\\Velqor Norvane", "CheckUpdate", "REG_DWORD", "1"}).exit, 0);
  ASSERT_EQ(Reg({"add", "HKCU\\Software\\Velqor Norvane", "Odd\nName", "REG_SZ", "line\nbreak"}).exit, 1)
      << "a name the hive cannot hold is refused";
  registry_.Open(RootKey::HKeyCurrentUser, "Software\\Velqor Norvane", false).value()
      ->Write("Qword", RegValue{11, {1, 0, 0, 0, 0, 0, 0, 0}})
      .value();
  EXPECT_EQ(Reg({"query", "HKCU\\Software\\Velqor Norvane"}).out,
            "HKEY_CURRENT_USER\\Software\\Velqor Norvane\n"
            "    CheckUpdate    REG_DWORD    0x1\n"
            "    Qword    REG_QWORD    0100000000000000\n");
  EXPECT_EQ(Reg({"query", "HKCU\\Software\\Velqor Norvane", "Version"}).exit, 1);
  EXPECT_EQ(Reg({"query", "HKCU\\Software\\Missing"}).exit, 1);
  EXPECT_EQ(Reg({"query", "HKLM"}).exit, 0) << "a root always exists";
}

TEST_F(RegCommandTest, DeleteRemovesValuesAndWholeKeys) {
  ASSERT_EQ(Reg({"add", "HKCU\\Software\\A\\B", "V", "REG_SZ", "x"}).exit, 0);
  ASSERT_EQ(Reg({"add", "HKCU\\Software\\A", "W", "REG_SZ", "y"}).exit, 0);
  EXPECT_EQ(Reg({"delete", "HKCU\\Software\\A\\B", "v"}).exit, 0);
  EXPECT_EQ(Reg({"delete", "HKCU\\Software\\A\\B", "v"}).exit, 1);
  EXPECT_EQ(Reg({"delete", "HKCU\\Software\\A"}).exit, 0);
  EXPECT_EQ(Reg({"query", "HKCU\\Software\\A\\B"}).exit, 1);
  EXPECT_EQ(Reg({"delete", "HKCU\\Software\\A"}).exit, 1);
}

TEST_F(RegCommandTest, BadInputIsExplainedAndChangesNothing) {
  const Arguments bad[] = {
      {},
      {"query"},
      {"list", "HKLM\\Software"},
      {"add", "HKLM\\Software", "V", "REG_SZ"},
      {"add", "HKXX\\Software", "V", "REG_SZ", "x"},
      {"add", "HKEY_DYN_DATA\\PerfStats", "V", "REG_SZ", "x"},
      {"add", "HKLM\\Software\\\\Norvane", "V", "REG_SZ", "x"},
      {"add", "HKLM\\Software", "V", "REG_QWORD", "1"},
      {"add", "HKLM\\Software", "V", "REG_DWORD", "4294967296"},
      {"add", "HKLM\\Software", "V", "REG_DWORD", "-1"},
      {"add", "HKLM\\Software", "V", "REG_DWORD", "0x"},
      {"add", "HKLM\\Software", "V", "REG_DWORD", "12ab"},
      {"add", "HKLM\\Software", "V", "REG_BINARY", "abc"},
      {"add", "HKLM\\Software", "V", "REG_BINARY", "zz"},
      {"add", "HKLM\\Software", "V", "REG_MULTI_SZ", "a\\0\\0b"},
      {"delete", "HKLM"},
  };
  for (const auto& args : bad) {
    const auto result = Reg(args);
    EXPECT_EQ(result.exit, 2) << (args.empty() ? "" : args.back());
    EXPECT_FALSE(result.err.empty());
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ / "HKEY_LOCAL_MACHINE.reg"));
}

TEST_F(RegCommandTest, AValueTheRegistryRefusesIsExplainedAndLeavesNoKeyBehind) {
  const std::string run = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  struct Case {
    Arguments args;
    std::string err;
  } cases[] = {
      {{"add", run, "Velqor Norvane", "REG_SZ", "/opt/norvane\x1b[2J"},
       "ERROR: The Run value cannot start a program at login: its text is not UTF-8 or holds control characters.\n"},
      {{"add", "HKLM\\Software\\Norvane", "Two\nLines", "REG_SZ", "x"},
       "ERROR: The name is not valid: a registry name holds no line break and no NUL character.\n"},
      {{"add", "HKLM\\Software\\Nor\nvane", "V", "REG_SZ", "x"},
       "ERROR: The name is not valid: a registry name holds no line break and no NUL character.\n"},
  };
  for (const auto& c : cases) {
    const auto result = Reg(c.args);
    EXPECT_EQ(result.exit, 1) << c.err;
    EXPECT_EQ(result.err, c.err);
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ / "HKEY_LOCAL_MACHINE.reg")) << "nothing was written";
  EXPECT_FALSE(std::filesystem::exists(dir_ / "autostart"));
}

TEST_F(RegCommandTest, ADamagedHiveIsNamedWithItsLine) {
  test::WriteText(dir_ / "HKEY_LOCAL_MACHINE.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software]\n\"A\"=hex:0\n");
  for (const Arguments& args : {Arguments{"query", "HKLM\\Software"}, Arguments{"add", "HKLM\\Software", "B", "REG_SZ", "x"}}) {
    const auto result = Reg(args);
    EXPECT_EQ(result.exit, 1);
    EXPECT_NE(result.err.find(dir_ / "HKEY_LOCAL_MACHINE.reg"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("line 4"), std::string::npos) << result.err;
  }
}

}  // namespace
}  // namespace nv::cli
