#include <gtest/gtest.h>

#include <QGuiApplication>
#include <tuple>

#include "platform/linux/hotkeys/x11_hotkeys.h"

TEST(X11HotKeys, WithoutAnX11ConnectionEveryRegistrationFails) {
  int argc = 1;
  char name[] = "test";
  char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);
  ASSERT_EQ(QGuiApplication::platformName(), "offscreen");

  nv::X11HotKeys hotKeys;
  for (auto [id, modifiers, key] : {std::tuple{1331, nv::mod::Alt | nv::mod::Shift, 'A'}, {1334, nv::mod::Control, 'Q'}}) {
    const auto outcome = hotKeys.RegisterHotKey(id, modifiers, key);
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.error().reason, "No X display to take the keys from");
  }
  hotKeys.UnregisterHotKey(1331);  // harmless
}
