#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdlib>
#include <optional>
#include <utility>

#include "fakes/x11_grab_probe.h"
#include "platform/linux/x11_hotkeys.h"

namespace {

using nv::MOD_ALT;
using nv::MOD_CONTROL;
using nv::MOD_SHIFT;
using nv::MOD_WIN;

using OtherClient = nv::test::X11GrabProbe;

class X11HotKeysTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    app = new QGuiApplication(argc, argv);
  }
  static void TearDownTestSuite() { delete app; }
  void SetUp() override { ASSERT_EQ(QGuiApplication::platformName(), "xcb"); }

  // Presses keys through XTEST and waits for a delivery.
  std::optional<std::pair<uint32_t, uint32_t>> Press(const char* keys) {
    delivered.reset();
    const std::string command = std::string("xdotool key --clearmodifiers ") + keys;
    if (std::system(command.c_str()) != 0) return std::nullopt;
    QElapsedTimer waited;
    waited.start();
    while (!delivered && waited.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return delivered;
  }

  static QGuiApplication* app;
  std::optional<std::pair<uint32_t, uint32_t>> delivered;
};
QGuiApplication* X11HotKeysTest::app = nullptr;

TEST_F(X11HotKeysTest, DeliversTheRegisteredCombinationWhateverTheLockState) {
  nv::X11HotKeys hotKeys;
  hotKeys.SetHandler([this](uint32_t m, uint32_t k) { delivered = {m, k}; });
  ASSERT_TRUE(hotKeys.RegisterHotKey(1331, MOD_ALT | MOD_SHIFT, 'A'));
  ASSERT_TRUE(hotKeys.RegisterHotKey(1334, MOD_CONTROL, 0x70));  // Ctrl+F1

  EXPECT_EQ(Press("alt+shift+a"), std::make_pair(uint32_t(MOD_ALT | MOD_SHIFT), uint32_t('A')));
  EXPECT_EQ(Press("ctrl+F1"), std::make_pair(uint32_t(MOD_CONTROL), uint32_t(0x70)));
  EXPECT_EQ(Press("alt+a"), std::nullopt) << "a subset of the modifiers is another combination";

  ASSERT_EQ(std::system("xdotool key Num_Lock"), 0);
  EXPECT_EQ(Press("alt+shift+a"), std::make_pair(uint32_t(MOD_ALT | MOD_SHIFT), uint32_t('A'))) << "NumLock on";
  ASSERT_EQ(std::system("xdotool key Num_Lock"), 0);

  hotKeys.UnregisterHotKey(1331);
  EXPECT_EQ(Press("alt+shift+a"), std::nullopt) << "released";
}

TEST_F(X11HotKeysTest, ACombinationHeldElsewhereFailsAndLeavesNoVariantBehind) {
  OtherClient other;
  ASSERT_TRUE(other.Grab('g', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
  nv::X11HotKeys hotKeys;
  EXPECT_FALSE(hotKeys.RegisterHotKey(1332, MOD_CONTROL | MOD_ALT, 'G'));

  // The variants the refused registration had obtained are released again.
  other.UngrabAll();
  EXPECT_TRUE(other.Grab('g', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_2));
  EXPECT_TRUE(other.Grab('g', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_LOCK));
  other.UngrabAll();
}

TEST_F(X11HotKeysTest, OneCombinationOneIdAndReleaseFreesItForOthers) {
  nv::X11HotKeys hotKeys;
  ASSERT_TRUE(hotKeys.RegisterHotKey(1333, MOD_ALT | MOD_SHIFT | MOD_WIN, 'M'));
  EXPECT_FALSE(hotKeys.RegisterHotKey(1334, MOD_ALT | MOD_SHIFT | MOD_WIN, 'M')) << "same combination, other id";
  EXPECT_FALSE(hotKeys.RegisterHotKey(1332, MOD_ALT, 0xFF)) << "a code without a key";

  OtherClient other;
  EXPECT_FALSE(other.Grab('m', XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_1 | XCB_MOD_MASK_4));
  hotKeys.UnregisterHotKey(1334);  // never registered: the grab of 1333 stays
  EXPECT_FALSE(other.Grab('m', XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_1 | XCB_MOD_MASK_4));
  hotKeys.UnregisterHotKey(1333);
  EXPECT_TRUE(other.Grab('m', XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_1 | XCB_MOD_MASK_4));
  other.UngrabAll();
}

}  // namespace
