#pragma once
#include "platform/clipboard.h"

namespace nv::test {

class FakeClipboard : public Clipboard {
 public:
  int cleans = 0;
  bool clears = true;  // false: the system does not let the clipboard be cleared
  bool Clean() override {
    ++cleans;
    return clears;
  }
};

}  // namespace nv::test
