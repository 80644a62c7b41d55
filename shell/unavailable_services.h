#pragma once
// Temporary stand-ins for Linux services whose implementation has not joined the program yet.
// Each refuses every call, as the real service does when the system says no; the owner of the
// service removes its stand-in here when the implementation lands.
#include <string>

#include "platform/paging.h"
#include "platform/registry.h"

namespace nv {

class UnavailableRegistry : public Registry {
 public:
  std::unique_ptr<RegistryKey> Open(RootKey, const std::string&, bool) override { return nullptr; }
};

class UnavailablePaging : public PagingConfiguration {
 public:
  bool SetSystemManaged(std::string& error) override {
    error = "no paging configuration in this build";
    return false;
  }
};

}  // namespace nv
