#pragma once
#include "platform/result.h"


namespace nv {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Discards whatever the system clipboard holds; a failure when the system did not let it.
  virtual Result<void> Clean() = 0;
};

}  // namespace nv
