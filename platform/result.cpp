#include "platform/result.h"

#include <system_error>

namespace nv {

Failure FailureWithErrno(const std::string& what) { return errno != 0 ? SystemFailure(what) : Failure{what}; }

Failure SystemFailure(const std::string& what, int error) {
  return Failure{what + ": " + std::error_code(error, std::generic_category()).message(), error};
}

}  // namespace nv
