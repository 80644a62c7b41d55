#pragma once
#include <string>

namespace nv {

// The message boxes the program shows, titled with the product title (platform/product.h).
class Dialogs {
 public:
  enum class Icon { None, Information, Question, Error };
  virtual ~Dialogs() = default;
  // Plain box: application title, no icon, one OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // Yes/No box with the product title; true on Yes.
  virtual bool AskYesNo(const std::string& text, Icon icon = Icon::None) = 0;
  // Confirmation box titled "Confirm", question icon, "&Yes" and "Cancel"; true on Yes.
  virtual bool Confirm(const std::string& text) = 0;
  // OK box with the information icon and the given title.
  virtual void Inform(const std::string& title, const std::string& text) = 0;
  // The error dialog: caption "Error", error icon, one OK button.
  virtual void ShowError(const std::string& text) = 0;
};

}  // namespace nv
