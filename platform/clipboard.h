#pragma once

namespace nv {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Discards whatever the system clipboard holds; false when the system did not let it.
  virtual bool Clean() = 0;
};

}  // namespace nv
