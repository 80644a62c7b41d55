#pragma once
#include <string>

#include "platform/paging.h"

namespace nv::test {

class FakePagingConfiguration : public PagingConfiguration {
 public:
  bool fails = false;
  int calls = 0;
  bool SetSystemManaged(std::string& error) override {
    ++calls;
    if (fails) error = "refused";
    return !fails;
  }
};

}  // namespace nv::test
