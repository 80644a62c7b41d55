#include "platform/linux/registry/hive_registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "fakes/write_denied_folder.h"
#include "platform/error.h"
#include "platform/linux/registry/autostart_entry.h"
#include "platform/linux/registry/hive_text.h"
#include "platform/temp_folder.h"

namespace nv {
namespace {

using test::ReadText;
using test::WriteText;

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class HiveRegistryTest : public ::testing::Test {
 protected:
  HiveLocations Locations(bool mayWriteMachine) const {
    return HiveLocations{dir_ / "HKEY_LOCAL_MACHINE.reg", dir_ / "HKEY_CURRENT_USER.reg",
                         dir_ / "VirtualStore/HKEY_LOCAL_MACHINE.reg", dir_ / "etc-autostart",
                         dir_ / "home-autostart", mayWriteMachine};
  }
  Hive Load(const std::string& file, const char* root = "HKEY_LOCAL_MACHINE") const {
    return ParseHive(ReadText(dir_ / file), root);
  }

  test::TempFolder dir_;
  HiveRegistry registry_{Locations(true)};
};

TEST_F(HiveRegistryTest, KeysAreCreatedOnOpenOnlyWhenAsked) {
  EXPECT_FALSE(registry_.Open(RootKey::HKeyCurrentUser, "Software\\Velqor Norvane", false));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "HKEY_CURRENT_USER.reg"));

  EXPECT_TRUE(registry_.Open(RootKey::HKeyCurrentUser, "Software\\Velqor Norvane", true));
  EXPECT_NE(Load("HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER").FindKey("Software\\Velqor Norvane"), nullptr);
  EXPECT_TRUE(registry_.Open(RootKey::HKeyCurrentUser, "SOFTWARE\\velqor norvane", false));
  EXPECT_TRUE(registry_.Open(RootKey::HKeyCurrentUser, "Software", false)) << "a parent exists with its child";
  EXPECT_TRUE(registry_.Open(RootKey::HKeyLocalMachine, "", false)) << "a root always exists";

  EXPECT_FALSE(registry_.Open(RootKey::HKeyDynData, "PerfStats\\StatData", true));
  for (const char* bad : {"\\Software", "Software\\", "Software\\\\Norvane", "Soft\nware"})
    EXPECT_FALSE(registry_.Open(RootKey::HKeyCurrentUser, bad, true)) << bad;
}

TEST_F(HiveRegistryTest, ValuesKeepTheirTypeAndMissingIsNotEmpty) {
  auto key = registry_.Open(RootKey::HKeyCurrentUser, "Software\\Velqor Norvane", true).value();
  EXPECT_FALSE(key->Read("Version").has_value());
  ASSERT_TRUE(key->Write("Version", RegValue::String("")));
  ASSERT_TRUE(key->Write("CheckUpdate", RegValue::Dword(1)));
  ASSERT_TRUE(key->Write("Blob", RegValue::Binary({})));

  const auto empty = key->Read("Version");
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(*empty, RegValue::String(""));
  EXPECT_EQ(key->Read("CheckUpdate")->type, uint32_t{reg::Dword});
  EXPECT_EQ(key->Read("Blob")->type, uint32_t{reg::Binary});
  EXPECT_TRUE(key->Read("Blob")->data.empty());

  EXPECT_TRUE(key->Delete("Version"));
  EXPECT_TRUE(key->Delete("Version")) << "deleting an absent value is no failure";
  EXPECT_FALSE(key->Read("Version").has_value());
}

TEST_F(HiveRegistryTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
  auto key = registry_.Open(RootKey::HKeyCurrentUser, "Software\\Velqor Norvane", true).value();
  ASSERT_TRUE(key->Write("HelpURL", RegValue::String("http://a/")));
  ASSERT_TRUE(key->Write("HELPURL", RegValue::String("http://b/")));
  EXPECT_EQ(key->Read("helpurl")->AsString(), "http://b/");

  const Hive hive = Load("HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER");
  const auto* stored = hive.FindKey("software\\velqor norvane");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->path, "Software\\Velqor Norvane");
  ASSERT_EQ(stored->values.size(), 1u);
  EXPECT_EQ(stored->values[0].name, "HelpURL");
}

TEST_F(HiveRegistryTest, EveryReadSeesWhatOthersWrote) {
  HiveRegistry other(Locations(true));
  auto mine = registry_.Open(RootKey::HKeyLocalMachine, "Software\\Norvane", true).value();
  ASSERT_TRUE(other.Open(RootKey::HKeyLocalMachine, "Software\\Norvane", false).value()
                  ->Write("NvSetInfo", RegValue::Binary({1, 2, 3})));
  EXPECT_EQ(mine->Read("NvSetInfo")->data, (std::vector<uint8_t>{1, 2, 3}));
  ASSERT_TRUE(mine->Write("Other", RegValue::Dword(7)));
  EXPECT_TRUE(other.Open(RootKey::HKeyLocalMachine, "Software\\Norvane", false).value()->Read("NvSetInfo").has_value())
      << "a write keeps what another writer stored before it";
}

TEST_F(HiveRegistryTest, ADamagedHiveFailsEveryOperationAndIsLeftAsItWas) {
  const std::string file = dir_ / "HKEY_CURRENT_USER.reg";
  const std::string good = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software]\n\"Version\"=\"2010\"\n";
  struct Case {
    std::string text;
    std::string message;
  } cases[] = {
      {good.substr(0, good.size() - 1), "line 4: the line is cut off (the file ends without a line end)"},
      {good + "\"Blob\"=hex:00,01,\\\n", "line 5: the value continues past the end of the file"},
      {"REGEDIT4\n" + good.substr(good.find('\n') + 1), "line 1: the header \"Windows Registry Editor Version 5.00\" is missing"},
      {good + "\"Blob\"=hex:00,1x\n", "line 5: bad hexadecimal byte"},
      {good + "\"Text\"=\"2010\\q\"\n", "line 5: unknown escape \\q"},
  };
  for (const auto& c : cases) {
    // A handle opened before the damage fails on its next read and write as well.
    WriteText(file, good);
    auto key = registry_.Open(RootKey::HKeyCurrentUser, "Software", false).value();
    WriteText(file, c.text);
    const std::string expected = "The registry file \"" + file + "\" is damaged at " + c.message;
    for (const auto& operation : std::vector<std::function<void()>>{
             [&] { (void)registry_.Open(RootKey::HKeyCurrentUser, "Software\\New", true); },
             [&] { key->Read("Version"); },
             [&] { (void)key->Write("Version", RegValue::String("x")); },
             [&] { (void)key->Delete("Version"); },
         }) {
      try {
        operation();
        ADD_FAILURE() << "no error for " << c.message;
      } catch (const Error& e) {
        EXPECT_EQ(e.what(), expected);
      }
    }
    EXPECT_EQ(ReadText(file), c.text) << c.message;
  }
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Path()))
    EXPECT_TRUE(entry.path().filename() == "HKEY_CURRENT_USER.reg" || entry.path().extension() == ".writer-lock")
        << entry.path();
}

TEST_F(HiveRegistryTest, AHiveThatIsNoRegularFileOrTooLargeIsDamagedWithoutWaitingOrFillingMemory) {
  const std::string file = dir_ / "HKEY_CURRENT_USER.reg";
  struct Case {
    const char* what;
    std::function<void()> make;
    std::string reason;
  } cases[] = {
      {"a FIFO: a blocking open waits for a writer for ever", [&] { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); },
       "it is not a regular file"},
      {"a link to /dev/zero: a read never ends", [&] { std::filesystem::create_symlink("/dev/zero", file); },
       "it is not a regular file"},
      {"a folder", [&] { std::filesystem::create_directory(file); }, "it is not a regular file"},
      {"a file past the cap (sparse, so it costs no disk)",
       [&] {
         WriteText(file, "");
         std::filesystem::resize_file(file, (64u << 20) + 1);
       },
       "it is larger than 64 MiB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.make();
    const auto type = std::filesystem::symlink_status(file).type();
    const std::string expected = "The registry file \"" + file + "\" is damaged: " + c.reason;
    for (const auto& operation : std::vector<std::function<void()>>{
             [&] { (void)registry_.Open(RootKey::HKeyCurrentUser, "Software", false); },
             [&] { (void)registry_.Open(RootKey::HKeyCurrentUser, "Software\\New", true); },
         }) {
      try {
        operation();
        ADD_FAILURE() << "no error";
      } catch (const Error& e) {
        EXPECT_EQ(e.what(), expected);
      }
    }
    EXPECT_EQ(std::filesystem::symlink_status(file).type(), type) << "the damaged hive was replaced";
    std::filesystem::remove_all(file);
  }
}

TEST_F(HiveRegistryTest, ARegistryEditorsUtf16HiveIsReadAndWrittenBackAsUtf8) {
  const std::u16string exported =
      u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Norvane]\r\n"
      u"\"Language\"=\"Fran\u00e7ais\"\r\n\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : exported) bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  WriteText(dir_ / "HKEY_CURRENT_USER.reg", bytes);

  auto key = registry_.Open(RootKey::HKeyCurrentUser, "Software\\Norvane", false).value();
  EXPECT_EQ(key->Read("Language")->AsString(), "Fran\u00e7ais");
  ASSERT_TRUE(key->Write("Version", RegValue::String("2010")));
  EXPECT_EQ(ReadText(dir_ / "HKEY_CURRENT_USER.reg"),
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Norvane]\n"
            "\"Language\"=\"Fran\u00e7ais\"\n\"Version\"=\"2010\"\n");
}

TEST_F(HiveRegistryTest, AnUnwritableFolderRefusesTheWrite) {
  auto key = registry_.Open(RootKey::HKeyCurrentUser, "Software", true).value();
  ASSERT_TRUE(key->Write("Kept", RegValue::Dword(1)));
  {
    test::WriteDeniedFolder denied(dir_.Path());
    EXPECT_FALSE(key->Write("New", RegValue::Dword(2)));
    EXPECT_EQ(key->Read("Kept")->AsDword(), 1u);
  }
  EXPECT_FALSE(key->Read("New").has_value());
}

TEST_F(HiveRegistryTest, WithoutMachineRightsSoftwareIsVirtualizedAndTheRestRefused) {
  WriteText(dir_ / "HKEY_LOCAL_MACHINE.reg",
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Norvane]\n\"NvSetInfo\"=hex:01\n\"Installed\"=\"yes\"\n\n"
            "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management]\n");
  const std::string machineBefore = ReadText(dir_ / "HKEY_LOCAL_MACHINE.reg");
  HiveRegistry user(Locations(false));

  auto settings = user.Open(RootKey::HKeyLocalMachine, "Software\\Norvane", true).value();
  EXPECT_EQ(settings->Read("NvSetInfo")->data, std::vector<uint8_t>{1}) << "the machine's value until the user writes";
  ASSERT_TRUE(settings->Write("NvSetInfo", RegValue::Binary({2})));
  EXPECT_EQ(settings->Read("NvSetInfo")->data, std::vector<uint8_t>{2}) << "reads prefer the virtual store";
  EXPECT_EQ(Load("VirtualStore/HKEY_LOCAL_MACHINE.reg").FindValue("Software\\Norvane", "NvSetInfo")->data,
            std::vector<uint8_t>{2});
  EXPECT_FALSE(settings->Delete("Installed")) << "the machine's value stays visible";
  EXPECT_TRUE(user.Open(RootKey::HKeyLocalMachine, "Software\\New\\Key", true));

  auto paging = user.Open(RootKey::HKeyLocalMachine,
                          "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management", false).value();
  EXPECT_FALSE(paging->Write("PagingFiles", RegValue::String("C:\\pagefile.sys 0 0", reg::MultiSz)));
  EXPECT_FALSE(user.Open(RootKey::HKeyLocalMachine, "SYSTEM\\Missing", true));
  EXPECT_EQ(ReadText(dir_ / "HKEY_LOCAL_MACHINE.reg"), machineBefore);
}

TEST_F(HiveRegistryTest, DeletingAnAbsentValueNeedsNoWritablePlace) {
  WriteText(dir_ / "HKEY_LOCAL_MACHINE.reg",
            "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\" + std::string(kRun) + "]\n");
  HiveLocations at = Locations(false);
  at.virtualStoreHive = dir_ / "state/norvane/VirtualStore/HKEY_LOCAL_MACHINE.reg";
  HiveRegistry user(at);
  auto run = user.Open(RootKey::HKeyLocalMachine, kRun, false).value();
  test::WriteDeniedFolder denied(dir_.Path());
  EXPECT_TRUE(run->Delete("Velqor Norvane"));
  EXPECT_FALSE(run->Write("Velqor Norvane", RegValue::String("/usr/bin/norvane")));
}

TEST_F(HiveRegistryTest, TheRunValueIsMirroredAsAnAutostartEntry) {
  const std::string entry = dir_ / "etc-autostart/velqor-norvane.desktop";
  auto run = registry_.Open(RootKey::HKeyLocalMachine, kRun, true).value();
  ASSERT_TRUE(run->Write("Other Program", RegValue::String("/usr/bin/other")));
  EXPECT_FALSE(std::filesystem::exists(entry)) << "only the program's own value has an entry";

  ASSERT_TRUE(run->Write("velqor norvane", RegValue::String("/opt/Velqor Norvane/norvane")));
  ASSERT_TRUE(std::filesystem::exists(entry));
  EXPECT_NE(ReadText(entry).find("\nExec=\"/opt/Velqor Norvane/norvane\"\n"), std::string::npos) << ReadText(entry);
  EXPECT_NE(ReadText(entry).find("\nTryExec=/opt/Velqor Norvane/norvane\n"), std::string::npos) << ReadText(entry);
  EXPECT_EQ(std::system(("desktop-file-validate '" + entry + "'").c_str()), 0);

  ASSERT_TRUE(run->Write("Velqor Norvane", RegValue::String("/opt/norvane", reg::Dword)));
  EXPECT_FALSE(std::filesystem::exists(entry)) << "a value that cannot start a program has no entry";
  ASSERT_TRUE(run->Write("Velqor Norvane", RegValue::String("/opt/norvane")));
  ASSERT_TRUE(run->Delete("Velqor Norvane"));
  EXPECT_FALSE(std::filesystem::exists(entry));

  ASSERT_TRUE(run->Write("Velqor Norvane", RegValue::String("/opt/norvane")));
  EXPECT_EQ(registry_.DeleteKey(RootKey::HKeyLocalMachine, "Software\\Microsoft").value(), HiveRegistry::KeyDeletion::Deleted);
  EXPECT_FALSE(std::filesystem::exists(entry)) << "deleting a key above Run removes the entry too";
}

// A batch lands whole or not at all: a bad name or the Run value (whose entry only a write of
// its own mirrors) refuses the lot before the hive changes.
TEST_F(HiveRegistryTest, ValuesWrittenTogetherLandWholeOrNotAtAll) {
  const std::vector<NamedValue> good{{"A", RegValue::Dword(1)}, {"B", RegValue::String("b")}};
  ASSERT_TRUE(registry_.WriteValues(RootKey::HKeyCurrentUser, "Software\\New", good));
  EXPECT_EQ(registry_.Values(RootKey::HKeyCurrentUser, "Software\\New"),
            (std::vector<HiveValue>{{"A", RegValue::Dword(1)}, {"B", RegValue::String("b")}}));

  const struct {
    RootKey root;
    const char* path;
    const char* name;
  } refused[] = {
      {RootKey::HKeyCurrentUser, "Software\\New", "Bad\nName"},
      {RootKey::HKeyLocalMachine, kRun, "Velqor Norvane"},
  };
  for (const auto& c : refused) {
    const std::vector<NamedValue> batch{{"C", RegValue::Dword(3)}, {c.name, RegValue::String("/opt/norvane")}};
    EXPECT_FALSE(registry_.WriteValues(c.root, c.path, batch)) << c.name;
    EXPECT_FALSE(registry_.ReadValue(c.root, c.path, "C").has_value()) << c.name;
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ / "etc-autostart/velqor-norvane.desktop"));
}

TEST_F(HiveRegistryTest, AWriteThatCannotBeKeptIsRefusedWithItsReasonBeforeAnythingChanges) {
  const std::string entry = dir_ / "etc-autostart/velqor-norvane.desktop";
  auto run = registry_.Open(RootKey::HKeyLocalMachine, kRun, true).value();
  ASSERT_TRUE(run->Write("Velqor Norvane", RegValue::String("/opt/norvane")));
  const std::string hive = ReadText(dir_ / "HKEY_LOCAL_MACHINE.reg"), desktop = ReadText(entry);
  struct Case {
    const char* what;
    std::string name, text, reason;
  } cases[] = {
      {"a Run value with a control character", "Velqor Norvane", "/opt/norvane\x01", "cannot start a program at login"},
      {"a Run value that is not UTF-8", "Velqor Norvane", "/opt/norvane\xff", "cannot start a program at login"},
      {"a value name with a line break", "Bad\nName", "x", "The name is not valid"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto written = run->Write(c.name, RegValue::String(c.text));
    ASSERT_FALSE(written);
    EXPECT_NE(written.error().reason.find(c.reason), std::string::npos) << written.error().reason;
    EXPECT_EQ(ReadText(dir_ / "HKEY_LOCAL_MACHINE.reg"), hive) << "the hive changed";
    EXPECT_EQ(ReadText(entry), desktop) << "the autostart entry changed";
  }
  ASSERT_TRUE(run->Write("Velqor Norvane", RegValue::String("/opt/norvane2")));
}

TEST_F(HiveRegistryTest, AVirtualizedRunValueStartsTheProgramForThisUserOnly) {
  HiveRegistry user(Locations(false));
  auto run = user.Open(RootKey::HKeyLocalMachine, kRun, true).value();
  ASSERT_TRUE(run->Write("Velqor Norvane", RegValue::String("/usr/bin/norvane")));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "home-autostart/velqor-norvane.desktop"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "etc-autostart/velqor-norvane.desktop"));
  ASSERT_TRUE(run->Delete("Velqor Norvane"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "home-autostart/velqor-norvane.desktop"));
}

TEST(AutostartEntry, ExecQuotesTheProgramAsOneArgument) {
  struct Case {
    const char* program;
    const char* exec;
  } cases[] = {
      {"/usr/bin/norvane", "\"/usr/bin/norvane\""},
      {"/opt/a b/norvane", "\"/opt/a b/norvane\""},
      {"/opt/say \"x\"/n", "\"/opt/say \\\\\"x\\\\\"/n\""},
      {"/opt/$HOME`x`/n", "\"/opt/\\\\$HOME\\\\`x\\\\`/n\""},
      {"/opt/back\\slash", "\"/opt/back\\\\\\\\slash\""},
      {"/opt/100%/n", "\"/opt/100%%/n\""},
  };
  for (const auto& c : cases) EXPECT_EQ(QuoteExecArgument(c.program), c.exec) << c.program;
  test::TempFolder dir;
  const AutostartFolder folder(dir.Path().string());
  for (const auto& c : cases) {
    ASSERT_TRUE(folder.Set(c.program));
    EXPECT_EQ(std::system(("desktop-file-validate '" + folder.EntryPath() + "'").c_str()), 0) << c.program;
  }
  for (const char* unfit : {"", "/opt/a\nb", "/opt/\xff"}) EXPECT_FALSE(folder.Set(unfit)) << unfit;
}

}  // namespace
}  // namespace nv
