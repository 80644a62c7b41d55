#pragma once
#include "platform/clipboard.h"

namespace nv::test {

class FakeClipboard : public Clipboard {
 public:
  int cleans = 0;
  bool clears = true;  // false: the system does not let the clipboard be cleared
  Result<void> Clean() override {
    ++cleans;
    if (!clears) return Failure{"the clipboard was told to refuse"};
    return {};
  }
};

}  // namespace nv::test
