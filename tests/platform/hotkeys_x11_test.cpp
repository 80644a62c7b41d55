#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdlib>
#include <optional>
#include <algorithm>
#include <utility>
#include <vector>

#include "fakes/x11_grab_probe.h"
#include "platform/linux/hotkeys/x11_hotkeys.h"

namespace {

namespace mod = nv::mod;

using OtherClient = nv::test::X11GrabProbe;

// The server's keyboard map, for moving one key to another keycode and back.
class KeyboardMap {
 public:
  KeyboardMap() : connection_(xcb_connect(nullptr, nullptr)) {
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    first_ = setup->min_keycode;
    count_ = uint8_t(setup->max_keycode - setup->min_keycode + 1);
    auto* reply = xcb_get_keyboard_mapping_reply(connection_, xcb_get_keyboard_mapping(connection_, first_, count_), nullptr);
    perKeycode_ = reply->keysyms_per_keycode;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(reply);
    original_.assign(keysyms, keysyms + size_t(count_) * perKeycode_);
    std::free(reply);
  }
  ~KeyboardMap() {
    xcb_change_keyboard_mapping(connection_, count_, first_, perKeycode_, original_.data());
    Sync();
    xcb_disconnect(connection_);
  }
  // Puts `keysym` (and nothing else) on `keycode`, as another layout would.
  void Put(xcb_keycode_t keycode, xcb_keysym_t keysym) {
    auto keys = original_;
    const auto row = keys.begin() + (keycode - first_) * perKeycode_;
    std::fill_n(row, perKeycode_, 0);
    *row = keysym;
    xcb_change_keyboard_mapping(connection_, count_, first_, perKeycode_, keys.data());
    Sync();
  }
  // Moves `keysym` from its keycode to one that carried nothing.
  bool Move(xcb_keysym_t keysym) {
    auto keys = original_;
    int from = -1, to = -1;
    for (int k = 0; k < count_; ++k) {
      const auto row = keys.begin() + k * perKeycode_;
      if (from < 0 && std::find(row, row + perKeycode_, keysym) != row + perKeycode_) from = k;
      if (to < 0 && std::all_of(row, row + perKeycode_, [](xcb_keysym_t s) { return s == 0; })) to = k;
    }
    if (from < 0 || to < 0) return false;
    std::copy_n(keys.begin() + from * perKeycode_, perKeycode_, keys.begin() + to * perKeycode_);
    std::fill_n(keys.begin() + from * perKeycode_, perKeycode_, 0);
    xcb_change_keyboard_mapping(connection_, count_, first_, perKeycode_, keys.data());
    Sync();
    return true;
  }

 private:
  void Sync() { std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }
  xcb_connection_t* connection_;
  xcb_keycode_t first_ = 0;
  uint8_t count_ = 0;
  uint8_t perKeycode_ = 0;
  std::vector<xcb_keysym_t> original_;
};

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
  ASSERT_TRUE(hotKeys.RegisterHotKey(1331, mod::Alt | mod::Shift, 'A'));
  ASSERT_TRUE(hotKeys.RegisterHotKey(1334, mod::Control, 0x70));  // Ctrl+F1

  EXPECT_EQ(Press("alt+shift+a"), std::make_pair(uint32_t(mod::Alt | mod::Shift), uint32_t('A')));
  EXPECT_EQ(Press("ctrl+F1"), std::make_pair(uint32_t(mod::Control), uint32_t(0x70)));
  EXPECT_EQ(Press("alt+a"), std::nullopt) << "a subset of the modifiers is another combination";

  ASSERT_EQ(std::system("xdotool key Num_Lock"), 0);
  EXPECT_EQ(Press("alt+shift+a"), std::make_pair(uint32_t(mod::Alt | mod::Shift), uint32_t('A'))) << "NumLock on";
  ASSERT_EQ(std::system("xdotool key Num_Lock"), 0);

  hotKeys.UnregisterHotKey(1331);
  EXPECT_EQ(Press("alt+shift+a"), std::nullopt) << "released";
}

TEST_F(X11HotKeysTest, ACombinationHeldElsewhereFailsAndLeavesNoVariantBehind) {
  OtherClient other;
  ASSERT_TRUE(other.Grab('g', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
  nv::X11HotKeys hotKeys;
  const auto refused = hotKeys.RegisterHotKey(1332, mod::Control | mod::Alt, 'G');
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().reason, "Another program holds the combination");

  // The variants the refused registration had obtained are released again.
  other.UngrabAll();
  EXPECT_TRUE(other.Grab('g', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_2));
  EXPECT_TRUE(other.Grab('g', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_LOCK));
  other.UngrabAll();
}

TEST_F(X11HotKeysTest, OneCombinationOneIdAndReleaseFreesItForOthers) {
  nv::X11HotKeys hotKeys;
  ASSERT_TRUE(hotKeys.RegisterHotKey(1333, mod::Alt | mod::Shift | mod::Win, 'M'));
  const auto twice = hotKeys.RegisterHotKey(1334, mod::Alt | mod::Shift | mod::Win, 'M');
  ASSERT_FALSE(twice) << "same combination, other id";
  EXPECT_EQ(twice.error().reason, "Another hot key of this program has the combination");
  const auto keyless = hotKeys.RegisterHotKey(1332, mod::Alt, 0xFF);
  ASSERT_FALSE(keyless) << "a code without a key";
  EXPECT_EQ(keyless.error().reason, "The combination names no key of this keyboard");

  OtherClient other;
  EXPECT_FALSE(other.Grab('m', XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_1 | XCB_MOD_MASK_4));
  hotKeys.UnregisterHotKey(1334);  // never registered: the grab of 1333 stays
  EXPECT_FALSE(other.Grab('m', XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_1 | XCB_MOD_MASK_4));
  hotKeys.UnregisterHotKey(1333);
  EXPECT_TRUE(other.Grab('m', XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_1 | XCB_MOD_MASK_4));
  other.UngrabAll();
}

TEST_F(X11HotKeysTest, AKeyMovedToAnotherKeycodeIsGrabbedThere) {
  nv::X11HotKeys hotKeys;
  hotKeys.SetHandler([this](uint32_t m, uint32_t k) { delivered = {m, k}; });
  ASSERT_TRUE(hotKeys.RegisterHotKey(1331, mod::Alt | mod::Shift, 'A'));
  KeyboardMap keyboard;
  ASSERT_TRUE(keyboard.Move('a'));
  QElapsedTimer settle;
  settle.start();
  while (settle.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

  EXPECT_EQ(Press("alt+shift+a"), std::make_pair(uint32_t(mod::Alt | mod::Shift), uint32_t('A')));
}

// A punctuation key is grabbed where it lies, whatever the layout prints on it: here the
// semicolon key of a US keyboard carries a German o-umlaut.
TEST_F(X11HotKeysTest, APunctuationKeyIsGrabbedAtItsPlace) {
  KeyboardMap keyboard;
  keyboard.Put(47, 0xF6);  // odiaeresis
  nv::X11HotKeys hotKeys;
  hotKeys.SetHandler([this](uint32_t m, uint32_t k) { delivered = {m, k}; });
  ASSERT_TRUE(hotKeys.RegisterHotKey(1332, mod::Control, 0xBA));  // VK_OEM_1
  ASSERT_TRUE(hotKeys.RegisterHotKey(1333, mod::Control, 0xE2));  // VK_OEM_102, a code without a keysym
  EXPECT_EQ(Press("ctrl+odiaeresis"), std::make_pair(uint32_t(mod::Control), uint32_t(0xBA)));
}

}  // namespace
