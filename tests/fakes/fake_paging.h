#pragma once
#include <string>

#include "platform/paging.h"

namespace nv::test {

class FakePagingConfiguration : public PagingConfiguration {
 public:
  bool fails = false;
  bool cannotHold = false;
  int calls = 0;
  Result<void> CanHoldPagingFile() override {
    if (cannotHold) return Failure{"no paging file here"};
    return {};
  }
  Result<void> SetSystemManaged() override {
    ++calls;
    if (fails) return Failure{"the system configuration refused"};
    return {};
  }
};

}  // namespace nv::test
