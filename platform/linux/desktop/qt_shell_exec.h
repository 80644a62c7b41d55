#pragma once
#include "platform/shellexec.h"

namespace nv {

// Documents, web and mail addresses go to the desktop's handlers; programs are started
// detached so that they outlive this process.
class QtShellExec : public ShellExec {
 public:
  Result<void> Open(const std::string& target) override;
  Result<void> StartProgram(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  std::string ProgramFolder() override;
};

}  // namespace nv
