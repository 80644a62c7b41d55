#include <gtest/gtest.h>

#include <QGuiApplication>

#include "platform/linux/x11_hotkeys.h"

TEST(X11HotKeys, WithoutAnX11ConnectionEveryRegistrationFails) {
  int argc = 1;
  char name[] = "test";
  char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);
  ASSERT_EQ(QGuiApplication::platformName(), "offscreen");

  nv::X11HotKeys hotKeys;
  EXPECT_FALSE(hotKeys.RegisterHotKey(1331, nv::mod::Alt | nv::mod::Shift, 'A'));
  EXPECT_FALSE(hotKeys.RegisterHotKey(1334, nv::mod::Control, 'Q'));
  hotKeys.UnregisterHotKey(1331);  // harmless
}
