#include "platform/linux/registry/hive_text.h"

#include <gtest/gtest.h>

namespace nv {
namespace {

constexpr const char* kRoot = "HKEY_LOCAL_MACHINE";

RegValue Typed(uint32_t type, std::vector<uint8_t> data) { return RegValue{type, std::move(data)}; }

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

// A file as a registry editor exports it: UTF-16LE behind its byte-order mark.
std::string Utf16LeFile(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

TEST(HiveText, EveryKindOfValueSurvivesWritingAndReading) {
  std::vector<uint8_t> everyByte;
  for (int b = 0; b < 256; ++b) everyByte.push_back(static_cast<uint8_t>(b));
  Hive hive;
  hive.CreateKey("");
  hive.SetValue("Software\\Norvane", "NvSetInfo", RegValue::Binary(everyByte));
  hive.SetValue("Software\\Norvane", "Quoted \"name\" with \\", RegValue::String("say \"hi\" to C:\\dir\\"));
  hive.SetValue("Software\\Norvane", "Lines", RegValue::String("one\ntwo\r\nthree"));
  hive.SetValue("Software\\Norvane", "Unicode", RegValue::String("Grüße, 日本語 ✓"));
  hive.SetValue("Software\\Norvane", "Empty", RegValue::String(""));
  hive.SetValue("Software\\Norvane", "Unterminated", Typed(reg::Sz, Bytes("no zero")));
  hive.SetValue("Software\\Norvane", "InnerZero", Typed(reg::Sz, Bytes(std::string("a\0b\0", 4))));
  hive.SetValue("Software\\Norvane", "NoBytes", Typed(reg::Sz, {}));
  hive.SetValue("Software\\Norvane", "", RegValue::String("the default value"));
  hive.SetValue("Software\\Norvane", "Path", RegValue::String("%SystemRoot%\\x", reg::ExpandSz));
  hive.SetValue("Software\\Norvane", "Largest", RegValue::Dword(0xFFFFFFFFu));
  hive.SetValue("Software\\Norvane", "Zero", RegValue::Dword(0));
  hive.SetValue("Software\\Norvane", "ShortDword", Typed(reg::Dword, {1, 2, 3}));
  hive.SetValue("Software\\Norvane", "EmptyBinary", RegValue::Binary({}));
  hive.SetValue("SYSTEM\\Memory Management", "PagingFiles",
                Typed(reg::MultiSz, Bytes(std::string("D:\\pagefile.sys 0 0\0\0", 21))));
  hive.SetValue("SYSTEM\\Memory Management", "EmptyList", Typed(reg::MultiSz, {0}));
  hive.SetValue("SYSTEM\\Memory Management", "NoList", Typed(reg::MultiSz, {}));
  hive.SetValue("Other types", "Qword", Typed(11, {1, 2, 3, 4, 5, 6, 7, 8}));
  hive.SetValue("Other types", "None", Typed(reg::None, {}));
  hive.SetValue("Other types", "Huge type", Typed(0xFFFFFFFFu, {0xAB}));
  hive.CreateKey("Empty key with ] and spaces ");

  const std::string text = FormatHive(hive, kRoot);
  EXPECT_EQ(ParseHive(text, kRoot), hive) << text;
  // Written as an export writes them, so that people can read and diff the file.
  EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\n", 0), 0u);
  EXPECT_NE(text.find("\n\"Largest\"=dword:ffffffff\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n\"Quoted \\\"name\\\" with \\\\\"=\"say \\\"hi\\\" to C:\\\\dir\\\\\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n@=\"the default value\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n\"Qword\"=hex(b):01,02,03,04,05,06,07,08\n"), std::string::npos) << text;
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
}

TEST(HiveText, ReadsExportsWithTheirLineEndsCommentsAndWrappedLines) {
  const std::string text =
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; exported by hand\r\n"
      "[hkey_local_machine\\Software\\Norvane]\r\n"
      "\"NvSetInfo\"=hex:00,01,\\\r\n"
      "  02, 03\r\n"
      "\"Names\" = hex(7):61,00,62,00,00\r\n"
      "\"Count\"=DWORD:0000002A\r\n";
  const Hive hive = ParseHive(text, kRoot);
  ASSERT_NE(hive.FindKey("Software\\Norvane"), nullptr);
  EXPECT_EQ(hive.FindValue("Software\\Norvane", "NvSetInfo")->data, (std::vector<uint8_t>{0, 1, 2, 3}));
  EXPECT_EQ(*hive.FindValue("Software\\Norvane", "Names"), Typed(reg::MultiSz, Bytes(std::string("a\0b\0\0", 5))));
  EXPECT_EQ(hive.FindValue("Software\\Norvane", "Count")->AsDword(), 42u);
}

TEST(HiveText, ReadsARegistryEditorsUtf16Export) {
  const std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n"
      u"\r\n"
      u"[HKEY_LOCAL_MACHINE\\Software\\Caf\u00e9]\r\n"
      u"\"Name\"=\"\u65e5\u672c \U0001F600\"\r\n"
      u"\"NvSetInfo\"=hex:00,01,\\\r\n"
      u"  02,03\r\n"
      u"\"Count\"=dword:0000002a\r\n"
      u"\r\n";
  const Hive hive = ParseHive(Utf16LeFile(text), kRoot);
  const std::string key = "Software\\Caf\u00e9";
  ASSERT_NE(hive.FindKey(key), nullptr);
  EXPECT_EQ(hive.FindValue(key, "Name")->AsString(), "\u65e5\u672c \U0001F600");
  EXPECT_EQ(hive.FindValue(key, "NvSetInfo")->data, (std::vector<uint8_t>{0, 1, 2, 3}));
  EXPECT_EQ(hive.FindValue(key, "Count")->AsDword(), 42u);
  // What the program writes back is UTF-8, whatever it read.
  EXPECT_EQ(FormatHive(hive, kRoot).rfind(std::string(kHiveHeader) + "\n", 0), 0u);
}

TEST(HiveText, MalformedUtf16IsDamageAtItsLine) {
  const std::u16string good = u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n";
  struct Case {
    std::string bytes;
    int line;
    std::string reason;
  } cases[] = {
      {Utf16LeFile(good) + "\x41", 4, "half a character"},
      {Utf16LeFile(good + u"\"A\"=\"" + char16_t(0xD83D) + u"\"\r\n"), 4, "without its low surrogate"},
      {Utf16LeFile(good + u"\"A\"=\"" + char16_t(0xDE00) + u"\"\r\n"), 4, "without its high surrogate"},
      {Utf16LeFile(u"") , 1, "header"},
  };
  for (const auto& c : cases) {
    try {
      ParseHive(c.bytes, kRoot);
      ADD_FAILURE() << "accepted: " << c.reason;
    } catch (const HiveSyntaxError& e) {
      EXPECT_EQ(e.Line(), c.line) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
    }
  }
}

TEST(HiveText, RepeatedKeysMergeAndTheLastValueWins) {
  const Hive hive = ParseHive(
      "Windows Registry Editor Version 5.00\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Norvane]\n\"A\"=\"first\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\NORVANE]\n\"a\"=\"second\"\n\"B\"=dword:00000001\n",
      kRoot);
  ASSERT_EQ(hive.Keys().size(), 1u);
  EXPECT_EQ(hive.Keys()[0].path, "Software\\Norvane");
  ASSERT_EQ(hive.Keys()[0].values.size(), 2u);
  EXPECT_EQ(hive.Keys()[0].values[0].name, "A");
  EXPECT_EQ(hive.Keys()[0].values[0].value.AsString(), "second");
}

TEST(HiveText, DamageIsReportedWithItsLine) {
  const std::string header = "Windows Registry Editor Version 5.00\n";
  const std::string key = "[HKEY_LOCAL_MACHINE\\Software]\n";
  struct Case {
    std::string text;
    int line;
    std::string reason;
  } cases[] = {
      {"", 1, "header"},
      {"REGEDIT4\n" + key, 1, "header"},
      {header + key + "\"A\"=\"cut off", 3, "line end"},
      {header + key + "\"A\"=\"no closing quote\n", 3, "closing"},
      {header + key + "\"A\"=hex:00,01,\\\n", 3, "past the end"},
      {header + key + "\"A\"=hex:00,01,\\\n  02,zz\n", 4, "hexadecimal"},
      {header + key + "\"A\"=hex:0g\n", 3, "hexadecimal"},
      {header + key + "\"A\"=hex:00,\n", 3, "missing after ','"},
      {header + key + "\"A\"=hex:00 01\n", 3, "','"},
      {header + key + "\"A\"=dword:1234\n", 3, "eight"},
      {header + key + "\"A\"=dword:123456789\n", 3, "at the end of the line"},
      {header + "[HKEY_LOCAL_MACHINE\\Software] ; note\n", 2, "at the end of the line"},
      {header + key + "\"A\"=\"tab\\t\"\n", 3, "unknown escape \\t"},
      {header + key + "\"A\"=hex(x):00\n", 3, "type"},
      {header + key + "\"A\"=hex(123456789):00\n", 3, "type"},
      {header + key + "\"A\"=-\n", 3, "unrecognised value data"},
      {header + "\"A\"=\"before any key\"\n", 2, "before the first key"},
      {header + "[HKEY_CURRENT_USER\\Software]\n", 2, "not under HKEY_LOCAL_MACHINE"},
      {header + "[HKEY_LOCAL_MACHINEX]\n", 2, "not under"},
      {header + "[HKEY_LOCAL_MACHINE\\Software\n", 2, "']'"},
      {header + "[HKEY_LOCAL_MACHINE\\a\\\\b]\n", 2, "empty name"},
      {header + "[HKEY_LOCAL_MACHINE\\]\n", 2, "empty name"},
      {header + key + "\"A\"\n", 3, "'='"},
      {header + key + "garbage\n", 3, "unrecognised line"},
  };
  for (const auto& c : cases) {
    try {
      ParseHive(c.text, kRoot);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const HiveSyntaxError& e) {
      EXPECT_EQ(e.Line(), c.line) << c.text;
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what() << " for " << c.text;
    }
  }
}

}  // namespace
}  // namespace nv
