#pragma once
#include <cstdio>
#include <string>

#include "platform/dialogs.h"

namespace nv::bench {

// Message boxes written to standard error and answered No, so that nothing waits for a user.
class PrintedDialogs : public Dialogs {
 public:
  void ShowMessage(const std::string& text) override { Print("message", text); }
  bool AskYesNo(const std::string& text, Icon) override {
    Print("question", text);
    return false;
  }
  bool Confirm(const std::string& text) override {
    Print("confirm", text);
    return false;
  }
  void Inform(const std::string&, const std::string& text) override { Print("inform", text); }
  void ShowError(const std::string& text) override { Print("error", text); }

 private:
  static void Print(const char* kind, const std::string& text) { std::fprintf(stderr, "[%s] %s\n", kind, text.c_str()); }
};

}  // namespace nv::bench
