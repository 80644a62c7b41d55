#pragma once
#include "platform/dialogs.h"

namespace nv {

// The program's message boxes as Qt message boxes, modal to the whole application.
class QtDialogs : public Dialogs {
 public:
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text, Icon icon = Icon::None) override;
  bool Confirm(const std::string& text) override;
  void Inform(const std::string& title, const std::string& text) override;
  void ShowError(const std::string& text) override;
};

}  // namespace nv
