#include "shell/VirtualKeys.h"

#include <gtest/gtest.h>

#include "platform/hotkeys.h"

namespace {

// Keycodes as X and Wayland give them (the evdev code plus 8); 0 where an event carries none.
TEST(VirtualKeys, KeysBecomeTheCodesOfTheirKeysPunctuationByItsPlace) {
  struct Case {
    const char* what;
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    quint32 keycode;
    uint32_t virtualKey;
  };
  const Case cases[] = {
      {"A", Qt::Key_A, {}, 38, 'A'},
      {"Shift+Z", Qt::Key_Z, Qt::ShiftModifier, 52, 'Z'},
      {"7", Qt::Key_7, {}, 16, '7'},
      {"Shift+7 is still the 7 key", Qt::Key_Ampersand, Qt::ShiftModifier, 16, '7'},
      {"Shift+1, not Page Up whose code is the same as '!'", Qt::Key_Exclam, Qt::ShiftModifier, 10, '1'},
      {"French e-acute on the 2 key", Qt::Key_Eacute, {}, 11, '2'},
      {"F1", Qt::Key_F1, {}, 67, 0x70},
      {"F12", Qt::Key_F12, {}, 96, 0x7B},
      {"keypad 7", Qt::Key_7, Qt::KeypadModifier, 79, 0x67},
      {"keypad *", Qt::Key_Asterisk, Qt::KeypadModifier, 63, 0x6A},
      {"Shift+8", Qt::Key_Asterisk, Qt::ShiftModifier, 17, '8'},
      {"Shift", Qt::Key_Shift, Qt::ShiftModifier, 50, 0x10},
      {"Ctrl", Qt::Key_Control, {}, 37, 0x11},
      {"Alt", Qt::Key_Alt, {}, 64, 0x12},
      {"Page Up", Qt::Key_PageUp, {}, 112, 0x21},
      {"Delete", Qt::Key_Delete, {}, 119, 0x2E},
      {"semicolon", Qt::Key_Semicolon, {}, 47, 0xBA},
      {"colon, the same key shifted", Qt::Key_Colon, Qt::ShiftModifier, 47, 0xBA},
      {"German o-umlaut on that key", Qt::Key_Odiaeresis, {}, 47, 0xBA},
      {"equals", Qt::Key_Equal, {}, 21, 0xBB},
      {"comma", Qt::Key_Comma, {}, 59, 0xBC},
      {"minus", Qt::Key_Minus, {}, 20, 0xBD},
      {"German sharp s on the minus key", Qt::Key_ssharp, {}, 20, 0xBD},
      {"period", Qt::Key_Period, {}, 60, 0xBE},
      {"Canadian e-acute on the slash key", Qt::Key_Eacute, {}, 61, 0xBF},
      {"grave", Qt::Key_QuoteLeft, {}, 49, 0xC0},
      {"bracket", Qt::Key_BracketLeft, {}, 34, 0xDB},
      {"backslash", Qt::Key_Backslash, {}, 51, 0xDC},
      {"closing bracket", Qt::Key_BracketRight, {}, 35, 0xDD},
      {"apostrophe", Qt::Key_Apostrophe, {}, 48, 0xDE},
      {"key left of the right Shift (JIS, ABNT)", Qt::Key_Slash, {}, 97, 0xDF},
      {"ISO key beside the left Shift", Qt::Key_Less, {}, 94, 0xE2},
      {"French comma on the M key of a US keyboard", Qt::Key_Comma, {}, 58, 0},
      {"a letter with no key known", Qt::Key_Eacute, {}, 0, 0},
      {"unknown", Qt::Key_unknown, {}, 0, 0},
  };
  for (const auto& c : cases) {
    const QKeyEvent event(QEvent::KeyPress, c.qtKey, c.modifiers, c.keycode, 0, 0);
    EXPECT_EQ(VirtualKeyOf(event), c.virtualKey) << c.what;
  }
}

TEST(VirtualKeys, AModifierKeyCountsWhileItGoesDownNotOnceItIsUp) {
  namespace mod = nv::mod;
  struct Case {
    QEvent::Type type;
    int qtKey;
    Qt::KeyboardModifiers reported;
    uint32_t held;
  };
  const Case cases[] = {
      {QEvent::KeyPress, Qt::Key_Shift, {}, mod::Shift},
      {QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, mod::Shift},
      {QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier, 0},
      {QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier | Qt::ControlModifier, mod::Control},
      {QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier, mod::Control | mod::Alt},
      {QEvent::KeyPress, Qt::Key_K, Qt::MetaModifier, 0},  // the Windows key is never captured
      {QEvent::KeyRelease, Qt::Key_K, Qt::ShiftModifier, mod::Shift},
  };
  for (const auto& c : cases) {
    const QKeyEvent event(c.type, c.qtKey, c.reported);
    EXPECT_EQ(HeldModifiersOf(event), c.held) << std::hex << c.qtKey << " " << c.type;
  }
}

}  // namespace
