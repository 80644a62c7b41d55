#pragma once
#include "platform/result.h"

namespace nv {

// The persistent system setting that hands the size of the paging space on the system
// drive back to the system, from the next start on.
class PagingConfiguration {
 public:
  virtual ~PagingConfiguration() = default;
  // A failure, with the reason in words for the user, when the system drive cannot hold a
  // paging file at all: the setting would then fail at every start.
  virtual Result<void> CanHoldPagingFile() = 0;
  virtual Result<void> SetSystemManaged() = 0;
};

}  // namespace nv
