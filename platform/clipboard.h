#pragma once

namespace nv {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Discards whatever the system clipboard holds.
  virtual void Clean() = 0;
};

}  // namespace nv
