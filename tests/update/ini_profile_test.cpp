#include "update/ini_profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace nv {
namespace {

struct IniCase {
  const char* name;
  std::string text;
  std::string expected;
};

TEST(IniProfile, ReadsVerOfSectionVersionByTheWindowsRules) {
  const IniCase cases[] = {
      {"plain", "[Version]\nVer=2010.1.3\n", "2010.1.3"},
      {"crlf", "[Version]\r\nVer=2010.1.3\r\n", "2010.1.3"},
      {"lone cr", "[Version]\rVer=2010.1.3\r", "2010.1.3"},
      {"names ignore case", "[VERSION]\nvEr=2010.1.3\n", "2010.1.3"},
      {"blanks around everything", "  [ Version ]  \n\t Ver \t=  2010.1.3 \t\n", "2010.1.3"},
      {"one pair of double quotes", "[Version]\nVer=\" 2010.1.3 \"\n", " 2010.1.3 "},
      {"one pair of single quotes", "[Version]\nVer='2010.1.3'\n", "2010.1.3"},
      {"only one pair removed", "[Version]\nVer=\"\"2010\"\"\n", "\"2010\""},
      {"unmatched quote kept", "[Version]\nVer=\"2010.1.3\n", "\"2010.1.3"},
      {"first key counts", "[Version]\nVer=1\nVer=2\n", "1"},
      {"first section counts", "[Version]\nOther=1\n[Version]\nVer=2\n", ""},
      {"other sections ignored", "[Download]\nVer=9\n[Version]\nVer=2010.1.3\n[After]\nVer=8\n", "2010.1.3"},
      {"keys before any section ignored", "Ver=9\n[Version]\nVer=3\n", "3"},
      {"missing key", "[Version]\nVersion=2010.1.3\n", ""},
      {"missing section", "[Versions]\nVer=2010.1.3\n", ""},
      {"empty value", "[Version]\nVer=\n", ""},
      {"equals sign in value", "[Version]\nVer=a=b\n", "a=b"},
      {"value ends at a zero byte", std::string("[Version]\nVer=2010\0.9\n", 22), "2010"},
      {"utf-8 byte order mark", "\xEF\xBB\xBF[Version]\nVer=2010.1.3\n", "2010.1.3"},
      {"no line end at all", "[Version]\nVer=2010.1.3", "2010.1.3"},
      {"empty file", "", ""},
      {"html error page", "<html><body>Not found</body></html>", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FindProfileString(c.text, "Version", "Ver", ""), c.expected) << c.name;
}

TEST(IniProfile, MissingEntriesGiveTheDefault) {
  EXPECT_EQ(FindProfileString("[Version]\n", "Version", "Ver", "none"), "none");
  EXPECT_EQ(FindProfileString("[Other]\nVer=1\n", "Version", "Ver", "none"), "none");
  // A key line without '=' has no value, so the default stands.
  EXPECT_EQ(FindProfileString("[Version]\nVer\nVer=2\n", "Version", "Ver", "none"), "none");
}

TEST(IniProfile, CutsValuesTo2047Characters) {
  const std::string longValue(3000, '7');
  EXPECT_EQ(FindProfileString("[Version]\nVer=" + longValue + "\n", "Version", "Ver", ""), longValue.substr(0, 2047));
  // Quotes are taken off the whole value before it is cut.
  const std::string quoted = "\"" + std::string(2047, 'q') + "\"";
  EXPECT_EQ(FindProfileString("[Version]\nVer=" + quoted + "\n", "Version", "Ver", ""), std::string(2047, 'q'));
}

TEST(IniProfile, ReadsFilesAndFallsBackWhenUnreadable) {
  const auto file = std::filesystem::temp_directory_path() / "nv-ini-profile-test.ini";
  std::ofstream(file, std::ios::binary) << "[Version]\r\nVer=2010.1.3\r\n";
  EXPECT_EQ(ReadProfileString(file, "Version", "Ver", ""), "2010.1.3");
  std::filesystem::remove(file);
  EXPECT_EQ(ReadProfileString(file, "Version", "Ver", "absent"), "absent");
}

}  // namespace
}  // namespace nv
