#pragma once
#include <string>

namespace nv {

// The persistent system setting that hands the size of the paging space on the system
// drive back to the system, from the next start on.
class PagingConfiguration {
 public:
  virtual ~PagingConfiguration() = default;
  // false, with a reason in `error`, when the setting could not be written.
  virtual bool SetSystemManaged(std::string& error) = 0;
};

}  // namespace nv
