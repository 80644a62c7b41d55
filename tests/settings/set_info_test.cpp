#include "settings/set_info.h"

#include <gtest/gtest.h>

#include <vector>

namespace nv {
namespace {

std::vector<uint8_t> Bytes(const TSetInfo& info) {
  const auto bytes = SerializeSetInfo(info);
  return {bytes.begin(), bytes.end()};
}

TEST(SetInfo, DefaultRecordHasTheDocumentedBytes) {
  const std::vector<uint8_t> expected = {
      0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x46, 0x00, 0x00, 0x00,
      0x00, 0x01, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00,
      0x01, 0x00, 0x00, 0x00, 0x33, 0x05, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x41, 0x00, 0x00, 0x00,
      0x01, 0x00, 0x00, 0x00, 0x34, 0x05, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x54, 0x00, 0x00, 0x00,
      0x01, 0x00, 0x00, 0x00, 0x35, 0x05, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x4D, 0x00, 0x00, 0x00,
      0x01, 0x00, 0x00, 0x00, 0x36, 0x05, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x45, 0x00, 0x00, 0x00,
  };
  EXPECT_EQ(Bytes(TSetInfo{}), expected);
}

// Each option lands at its own offset, whatever the compiler does with the struct.
TEST(SetInfo, EachFieldIsWrittenAtItsOffset) {
  struct Case {
    const char* field;
    void (*change)(TSetInfo&);
    size_t offset;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"EmptyClipboard", [](TSetInfo& s) { s.EmptyClipboard = true; }, 0, {1}},
      {"AutoTime", [](TSetInfo& s) { s.AutoTime = -2; }, 4, {0xFE, 0xFF, 0xFF, 0xFF}},
      {"StopAuto", [](TSetInfo& s) { s.StopAuto = false; }, 8, {0}},
      {"StopAutoPercent", [](TSetInfo& s) { s.StopAutoPercent = 0x01020304; }, 12, {4, 3, 2, 1}},
      {"AfterMemTrim", [](TSetInfo& s) { s.AfterMemTrim = true; }, 16, {1}},
      {"AutoProcessList", [](TSetInfo& s) { s.AutoProcessList = false; }, 17, {0}},
      {"ProcessListTime", [](TSetInfo& s) { s.ProcessListTime = 500; }, 20, {0xF4, 0x01, 0, 0}},
      {"AutoOnStart", [](TSetInfo& s) { s.AutoOnStart = true; }, 24, {1}},
      {"CloseMinimize", [](TSetInfo& s) { s.CloseMinimize = false; }, 25, {0}},
      {"MinimizeStart", [](TSetInfo& s) { s.MinimizeStart = true; }, 26, {1}},
      {"slot 4 enabled", [](TSetInfo& s) { s.HotKeys[3].Enabled = false; }, 76, {0}},
      {"slot 3 modifiers", [](TSetInfo& s) { s.HotKeys[2].Modifiers = 0x0B; }, 68, {0x0B, 0, 0, 0}},
      {"slot 2 key", [](TSetInfo& s) { s.HotKeys[1].Key = 0x70; }, 56, {0x70, 0, 0, 0}},
  };
  const auto defaults = Bytes(TSetInfo{});
  for (const auto& c : cases) {
    TSetInfo info;
    c.change(info);
    auto expected = defaults;
    std::copy(c.bytes.begin(), c.bytes.end(), expected.begin() + c.offset);
    EXPECT_EQ(Bytes(info), expected) << c.field;
    EXPECT_EQ(DeserializeSetInfo(SerializeSetInfo(info)), info) << c.field;
  }
}

TEST(SetInfo, ShortValueReplacesOnlyTheBytesItCovers) {
  // 28 bytes: the ten options, none of the hot keys.
  std::vector<uint8_t> options(28, 0);
  options[0] = 1;
  options[4] = 9;
  options[12] = 55;
  options[20] = 7;
  options[26] = 1;
  const auto info = SetInfoFromStoredBytes(options);
  EXPECT_TRUE(info.EmptyClipboard);
  EXPECT_EQ(info.AutoTime, 9);
  EXPECT_FALSE(info.StopAuto);
  EXPECT_EQ(info.StopAutoPercent, 55);
  EXPECT_FALSE(info.AutoProcessList);
  EXPECT_EQ(info.ProcessListTime, 7);
  EXPECT_FALSE(info.CloseMinimize);
  EXPECT_TRUE(info.MinimizeStart);
  EXPECT_EQ(info.HotKeys, TSetInfo::DefaultHotKeys());

  EXPECT_EQ(SetInfoFromStoredBytes({}), TSetInfo{});
  // A value ending inside a field keeps the field's remaining default bytes and every later field.
  const auto partial = SetInfoFromStoredBytes({0, 0, 0, 0, 0x00, 0x02});
  EXPECT_EQ(partial.AutoTime, 0x200);
  EXPECT_TRUE(partial.StopAuto);
  EXPECT_EQ(partial.StopAutoPercent, 70);
}

TEST(SetInfo, NonZeroBooleanReadsTrueAndIsWrittenBackAsOne) {
  auto bytes = SerializeSetInfo(TSetInfo{});
  bytes[0] = 2;     // EmptyClipboard
  bytes[24] = 0xFF; // AutoOnStart
  bytes[28] = 7;    // slot 1 Enabled
  bytes[1] = 0xAA;  // padding carries no meaning
  const auto info = DeserializeSetInfo(bytes);
  EXPECT_TRUE(info.EmptyClipboard);
  EXPECT_TRUE(info.AutoOnStart);
  EXPECT_TRUE(info.HotKeys[0].Enabled);
  const auto written = SerializeSetInfo(info);
  EXPECT_EQ(written[0], 1);
  EXPECT_EQ(written[1], 0);
  EXPECT_EQ(written[24], 1);
  EXPECT_EQ(written[28], 1);
}

}  // namespace
}  // namespace nv
