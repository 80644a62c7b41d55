#include <gtest/gtest.h>

#include "fakes/fake_hotkeys.h"
#include "settings/hotkey_capture.h"
#include "settings/hotkey_dispatch.h"
#include "settings/hotkey_registration.h"
#include "settings/hotkey_text.h"
#include "settings/set_info.h"

namespace nv {
namespace {

constexpr uint32_t VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_F1 = 0x70;

TEST(HotKeyText, ModifiersInFixedOrderThenTheMaskedKey) {
  struct Case {
    uint32_t modifiers, key;
    const char* text;
  };
  const Case cases[] = {
      {mod::Alt | mod::Shift, 'A', "ALT+SHIFT+'A'"},
      {mod::Alt | mod::Shift, 'T', "ALT+SHIFT+'T'"},
      {mod::Alt | mod::Shift, 'M', "ALT+SHIFT+'M'"},
      {mod::Alt | mod::Shift, 'E', "ALT+SHIFT+'E'"},
      {mod::Win | mod::Shift | mod::Alt | mod::Control, 'E', "CTRL+ALT+SHIFT+WIN+'E'"},
      {0, 'A', "+'A'"},
      {mod::Control, VK_F1, "CTRL+'p'"},
      {mod::Control | mod::Alt, 'K', "CTRL+ALT+'K'"},
      {mod::Shift, VK_SHIFT, "SHIFT+'\x10'"},
      {mod::Win, 0x1C1, "WIN+'A'"},  // only the low seven bits are shown
  };
  for (const auto& c : cases)
    EXPECT_EQ(HotKeyText({true, 0, c.modifiers, c.key}), c.text) << c.text;
}

TEST(HotKeyCapture, AcceptsAKeyWithModifiersIntoThePendingSlot) {
  THotKeyInfo pending = TSetInfo::DefaultHotKeys()[1];
  EXPECT_EQ(CaptureKeyDown(pending, 1, 'K', mod::Control | mod::Alt), "CTRL+ALT+'K'");
  EXPECT_EQ(pending, (THotKeyInfo{true, 1332, mod::Control | mod::Alt, 'K'}));
  // Letting go of a modifier shows the pending combination.
  EXPECT_EQ(CaptureKeyUp(pending, VK_MENU, mod::Control), "CTRL+ALT+'K'");
}

TEST(HotKeyCapture, RefusesLoneKeysAndLoneModifiers) {
  struct Case {
    const char* what;
    uint32_t key, held;
    const char* shown;
  };
  const Case cases[] = {
      {"K alone", 'K', 0, "+'K'"},
      {"Shift alone", VK_SHIFT, mod::Shift, "SHIFT+'\x10'"},
      {"Ctrl with Alt held", VK_CONTROL, mod::Control | mod::Alt, "CTRL+ALT+'\x11'"},
      {"Alt alone", VK_MENU, mod::Alt, "ALT+'\x12'"},
      {"Windows key only", 'K', mod::Win, "+'K'"},
  };
  for (const auto& c : cases) {
    THotKeyInfo pending = TSetInfo::DefaultHotKeys()[2];
    EXPECT_EQ(CaptureKeyDown(pending, 2, c.key, c.held), c.shown) << c.what;
    EXPECT_EQ(pending, TSetInfo::DefaultHotKeys()[2]) << c.what;
  }
}

TEST(HotKeyCapture, AKeyWithoutACodeIsRefusedAndTheBoxShowsThePendingCombination) {
  THotKeyInfo pending{true, 1332, mod::Control | mod::Alt, 'K'};
  EXPECT_EQ(CaptureKeyDown(pending, 1, 0, mod::Control), "CTRL+ALT+'K'");
  EXPECT_EQ(CaptureKeyDown(pending, 1, 0x10000, mod::Control), "CTRL+ALT+'K'") << "no code in the low 16 bits";
  EXPECT_EQ(pending, (THotKeyInfo{true, 1332, mod::Control | mod::Alt, 'K'}));
}

TEST(HotKeyCapture, ReleaseRestoresTheTextOnlyOnceTheUserLetsGo) {
  const THotKeyInfo pending = TSetInfo::DefaultHotKeys()[0];
  EXPECT_EQ(CaptureKeyUp(pending, 'K', 0), "ALT+SHIFT+'A'") << "K released, nothing held";
  EXPECT_EQ(CaptureKeyUp(pending, VK_SHIFT, mod::Alt), "ALT+SHIFT+'A'") << "a modifier released";
  EXPECT_EQ(CaptureKeyUp(pending, 'K', mod::Alt), std::nullopt) << "K released, Alt still held";
}

TEST(HotKeyCapture, KeepsOnlyTheLow16BitsOfTheKey) {
  THotKeyInfo pending;
  CaptureKeyDown(pending, 3, 0x12345, mod::Shift);
  EXPECT_EQ(pending.Key, 0x2345u);
  EXPECT_EQ(pending.Id, 1334);
}

TEST(HotKeyDispatch, EveryMatchingSlotInSlotOrderEnabledOrNot) {
  HotKeyTable current = TSetInfo::DefaultHotKeys();
  current[3] = current[1];  // slot 4 on Alt+Shift+T too
  current[1].Enabled = false;
  EXPECT_EQ(SlotsForHotKey(current, mod::Alt | mod::Shift, 'T'), (std::vector<size_t>{1, 3}));
  EXPECT_EQ(SlotsForHotKey(current, mod::Alt | mod::Shift, 'A'), (std::vector<size_t>{0}));
  EXPECT_TRUE(SlotsForHotKey(current, mod::Alt, 'A').empty());
  EXPECT_TRUE(SlotsForHotKey(current, mod::Alt | mod::Shift | mod::Control, 'A').empty());
}

TEST(HotKeyRegistration, LabelsShowWhatTheSystemTook) {
  test::FakeHotKeys system;
  HotKeyTable current = TSetInfo::DefaultHotKeys();
  current[1].Enabled = false;
  current[3].Modifiers = current[2].Modifiers;  // slot 4 repeats slot 3's combination
  current[3].Key = current[2].Key;
  system.takenElsewhere.insert({mod::Alt | mod::Shift, 'A'});

  const auto statuses = ActivateHotKeys(system, current);
  EXPECT_EQ(statuses, (std::array<HotKeyStatus, 4>{HotKeyStatus{"not register", "taken by another program"},
                                                   {"not register", "The hot key is turned off"},
                                                   {"ALT+SHIFT+'M'", ""},
                                                   {"not register", "taken by another id"}}));
  EXPECT_EQ(system.registered.size(), 1u);
  EXPECT_TRUE(system.registered.count(1333));

  // Release asks for every enabled record, registered or not, and leaves slot 3's grab to the
  // moment its own id is released.
  ReleaseHotKeys(system, current);
  EXPECT_EQ(system.unregisterCalls, (std::vector<int>{1331, 1333, 1334}));
  EXPECT_TRUE(system.registered.empty());
}

TEST(HotKeyRegistration, LateAnswersLabelTheEnabledSlotOfTheirId) {
  HotKeyTable current = TSetInfo::DefaultHotKeys();
  current[1].Enabled = false;
  using Status = std::optional<std::pair<size_t, HotKeyStatus>>;
  const HotKeyOutcome asked = HotKeyBinding{}, kept = HotKeyBinding{"ALT+SHIFT+a"}, refused = Failure{"refused"};
  EXPECT_EQ(LateHotKeyStatus(current, 1333, asked), Status(std::pair(size_t{2}, HotKeyStatus{"ALT+SHIFT+'M'", ""})));
  EXPECT_EQ(LateHotKeyStatus(current, 1331, kept), Status(std::pair(size_t{0}, HotKeyStatus{"ALT+SHIFT+a", ""})))
      << "the system's own wording of what it holds";
  EXPECT_EQ(LateHotKeyStatus(current, 1331, refused), Status(std::pair(size_t{0}, HotKeyStatus{"not register", "refused"})));
  EXPECT_EQ(LateHotKeyStatus(current, 1332, asked), std::nullopt);  // disabled meanwhile
  EXPECT_EQ(LateHotKeyStatus(current, 42, asked), std::nullopt);
}

}  // namespace
}  // namespace nv
