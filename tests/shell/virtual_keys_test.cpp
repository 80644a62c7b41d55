#include "shell/VirtualKeys.h"

#include <gtest/gtest.h>

#include "platform/hotkeys.h"

namespace {

TEST(VirtualKeys, QtKeysBecomeTheCodesOfTheirKeys) {
  struct Case {
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    uint32_t virtualKey;
  };
  const Case cases[] = {
      {Qt::Key_A, {}, 'A'},
      {Qt::Key_Z, Qt::ShiftModifier, 'Z'},
      {Qt::Key_7, {}, '7'},
      {Qt::Key_Ampersand, Qt::ShiftModifier, '7'},  // Shift+7 is still the 7 key
      {Qt::Key_Exclam, Qt::ShiftModifier, '1'},     // not Page Up, whose code is the same as '!'
      {Qt::Key_F1, {}, 0x70},
      {Qt::Key_F12, {}, 0x7B},
      {Qt::Key_7, Qt::KeypadModifier, 0x67},
      {Qt::Key_Asterisk, Qt::KeypadModifier, 0x6A},
      {Qt::Key_Asterisk, Qt::ShiftModifier, '8'},
      {Qt::Key_Shift, Qt::ShiftModifier, 0x10},
      {Qt::Key_Control, {}, 0x11},
      {Qt::Key_Alt, {}, 0x12},
      {Qt::Key_PageUp, {}, 0x21},
      {Qt::Key_Delete, {}, 0x2E},
      {Qt::Key_Semicolon, {}, 0xBA},
      {Qt::Key_Colon, Qt::ShiftModifier, 0xBA},
      {Qt::Key_Slash, {}, 0xBF},
      {Qt::Key_unknown, {}, 0},
  };
  for (const auto& c : cases) {
    const QKeyEvent event(QEvent::KeyPress, c.qtKey, c.modifiers);
    EXPECT_EQ(VirtualKeyOf(event), c.virtualKey) << std::hex << c.qtKey;
  }
}

TEST(VirtualKeys, AModifierKeyCountsWhileItGoesDownNotOnceItIsUp) {
  using nv::MOD_ALT;
  using nv::MOD_CONTROL;
  using nv::MOD_SHIFT;
  struct Case {
    QEvent::Type type;
    int qtKey;
    Qt::KeyboardModifiers reported;
    uint32_t held;
  };
  const Case cases[] = {
      {QEvent::KeyPress, Qt::Key_Shift, {}, MOD_SHIFT},
      {QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, MOD_SHIFT},
      {QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier, 0},
      {QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier | Qt::ControlModifier, MOD_CONTROL},
      {QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier, MOD_CONTROL | MOD_ALT},
      {QEvent::KeyPress, Qt::Key_K, Qt::MetaModifier, 0},  // the Windows key is never captured
      {QEvent::KeyRelease, Qt::Key_K, Qt::ShiftModifier, MOD_SHIFT},
  };
  for (const auto& c : cases) {
    const QKeyEvent event(c.type, c.qtKey, c.reported);
    EXPECT_EQ(HeldModifiersOf(event), c.held) << std::hex << c.qtKey << " " << c.type;
  }
}

}  // namespace
