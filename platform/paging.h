#pragma once
#include <string>

namespace nv {

// The persistent system setting that hands the size of the paging space on the system
// drive back to the system, from the next start on.
class PagingConfiguration {
 public:
  virtual ~PagingConfiguration() = default;
  // false, with the reason in words for the user, when the system drive cannot hold a paging
  // file at all: the setting would then fail at every start.
  virtual bool CanHoldPagingFile(std::string& reason) = 0;
  // false, with a reason in `error`, when the setting could not be written.
  virtual bool SetSystemManaged(std::string& error) = 0;
};

}  // namespace nv
