#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/linux/desktop/qt_clipboard.h"

namespace {

// What another X client reads from the clipboard selection; false when it has no owner.
bool ReadClipboard(std::string& text) {
  FILE* p = ::popen("xclip -o -selection clipboard 2>/dev/null", "r");
  if (!p) return false;
  char buf[256];
  text.clear();
  while (size_t n = std::fread(buf, 1, sizeof buf, p)) text.append(buf, n);
  return ::pclose(p) == 0;
}

}  // namespace

TEST(QtClipboard, CleanDropsTextOwnedByAnotherClient) {
  int argc = 1;
  char name[] = "test";
  char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");

  ASSERT_EQ(std::system("printf 'large picture stand-in' | xclip -i -selection clipboard"), 0);
  std::string text;
  ASSERT_TRUE(ReadClipboard(text));
  ASSERT_EQ(text, "large picture stand-in");

  ASSERT_TRUE(nv::QtClipboard().Clean());
  QGuiApplication::processEvents();

  EXPECT_FALSE(ReadClipboard(text)) << "still holds: " << text;
}
