#pragma once
#include <string>

#include "platform/result.h"

namespace nv {

class ShellExec {
 public:
  virtual ~ShellExec() = default;
  // Opens a document, a web address or a mailto: address with the user's program for it; a
  // failure when the desktop has no program for it or could not start one.
  virtual Result<void> Open(const std::string& target) = 0;
  // Starts a program without arguments.
  virtual Result<void> StartProgram(const std::string& path) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  // The folder of the running executable, with a trailing '/'.
  virtual std::string ProgramFolder() = 0;
};

}  // namespace nv
