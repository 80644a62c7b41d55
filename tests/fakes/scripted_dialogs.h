#pragma once
#include <deque>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace nv::test {

// Records every box the program shows and answers questions from a script (Yes when the
// script is empty).
class ScriptedDialogs : public Dialogs {
 public:
  struct Shown {
    std::string kind;  // "message", "yesno", "confirm", "inform", "error"
    std::string title;
    std::string text;
    Icon icon = Icon::None;
  };
  std::vector<Shown> shown;
  std::deque<bool> answers;

  void ShowMessage(const std::string& text) override { shown.push_back({"message", "Velqor Norvane", text}); }
  bool AskYesNo(const std::string& text, Icon icon) override {
    shown.push_back({"yesno", "Velqor Norvane", text, icon});
    return Next();
  }
  bool Confirm(const std::string& text) override {
    shown.push_back({"confirm", "Confirm", text, Icon::Question});
    return Next();
  }
  void Inform(const std::string& title, const std::string& text) override {
    shown.push_back({"inform", title, text, Icon::Information});
  }
  void ShowError(const std::string& text) override { shown.push_back({"error", "Error", text, Icon::Error}); }

  std::vector<std::string> Texts(const std::string& kind) const {
    std::vector<std::string> out;
    for (const auto& s : shown)
      if (s.kind == kind) out.push_back(s.text);
    return out;
  }

 private:
  bool Next() {
    if (answers.empty()) return true;
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
};

}  // namespace nv::test
