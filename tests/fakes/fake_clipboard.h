#pragma once
#include "platform/clipboard.h"

namespace nv::test {

class FakeClipboard : public Clipboard {
 public:
  int cleans = 0;
  void Clean() override { ++cleans; }
};

}  // namespace nv::test
