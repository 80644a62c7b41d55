#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "platform/shellexec.h"

namespace nv::test {

// Records what the program opens and starts; the program's folder is whatever the test
// makes it, and a program starts only when its file is there.
class RecordingShellExec : public ShellExec {
 public:
  std::string programFolder = "/opt/norvane/";
  bool opens = true;  // false: the desktop has no program for anything
  std::vector<std::string> opened;
  std::vector<std::string> started;

  Result<void> Open(const std::string& target) override {
    opened.push_back(target);
    if (!opens) return Failure{"nothing opens " + target};
    return {};
  }
  Result<void> StartProgram(const std::string& path) override {
    started.push_back(path);
    if (!std::filesystem::is_regular_file(path)) return Failure{path + " is no file"};
    return {};
  }
  bool FileExists(const std::string& path) override { return std::filesystem::is_regular_file(path); }
  std::string ProgramFolder() override { return programFolder; }
};

}  // namespace nv::test
