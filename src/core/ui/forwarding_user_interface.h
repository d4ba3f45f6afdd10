// A user interface that hands every call on to another one. A subclass overrides only the
// calls it answers itself, such as a page's own status line or the console's progress bar.
#pragma once

#include "ui/user_interface.h"

namespace kelvaro {

class ForwardingUserInterface : public UserInterface {
 public:
  explicit ForwardingUserInterface(UserInterface& inner) : m_inner(inner) {}

  MessageAnswer showMessage(const Message& message) override { return m_inner.showMessage(message); }
  std::optional<std::string> inputBox(std::string_view caption, std::string_view prompt,
                                      std::string_view value) override {
    return m_inner.inputBox(caption, prompt, value);
  }
  std::optional<std::string> passwordBox(std::string_view caption, std::string_view prompt) override {
    return m_inner.passwordBox(caption, prompt);
  }
  std::optional<std::string> openFileName(std::string_view title, std::string_view filter,
                                          std::string_view directory) override {
    return m_inner.openFileName(title, filter, directory);
  }
  std::optional<std::string> saveFileName(std::string_view title, std::string_view filter,
                                          std::string_view directory) override {
    return m_inner.saveFileName(title, filter, directory);
  }
  void playSound(std::string_view file) override { m_inner.playSound(file); }
  void beep() override { m_inner.beep(); }
  void showWait(std::string_view text) override { m_inner.showWait(text); }
  void closeWait() override { m_inner.closeWait(); }
  bool cancelRequested() override { return m_inner.cancelRequested(); }
  void showStatus(std::string_view text) override { m_inner.showStatus(text); }
  void showProgress(int done, int total) override { m_inner.showProgress(done, total); }
  void showNote(std::string_view text) override { m_inner.showNote(text); }

 protected:
  UserInterface& inner() { return m_inner; }

 private:
  UserInterface& m_inner;
};

}  // namespace kelvaro
