#pragma once
#include <string>

#include "platform/paging.h"

namespace nv::test {

class FakePagingConfiguration : public PagingConfiguration {
 public:
  bool fails = false;
  bool cannotHold = false;
  int calls = 0;
  bool CanHoldPagingFile(std::string& reason) override {
    if (cannotHold) reason = "no paging file here";
    return !cannotHold;
  }
  bool SetSystemManaged(std::string& error) override {
    ++calls;
    if (fails) error = "refused";
    return !fails;
  }
};

}  // namespace nv::test
