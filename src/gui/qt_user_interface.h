// The user-interface interface of the core, answered with Qt dialogs.
#pragma once

#include <QPointer>
#include <QWidget>

#include "ui/user_interface.h"
#include "note_window.h"

class QProgressDialog;

namespace kelvaro::gui {

class QtUserInterface : public UserInterface {
 public:
  explicit QtUserInterface(QWidget* parent = nullptr) : m_parent(parent) {}
  void setParent(QWidget* parent) { m_parent = parent; }

  MessageAnswer showMessage(const Message& message) override;
  std::optional<std::string> inputBox(std::string_view caption, std::string_view prompt,
                                      std::string_view value) override;
  std::optional<std::string> passwordBox(std::string_view caption, std::string_view prompt) override;
  std::optional<std::string> openFileName(std::string_view title, std::string_view filter,
                                          std::string_view directory) override;
  std::optional<std::string> saveFileName(std::string_view title, std::string_view filter,
                                          std::string_view directory) override;
  void beep() override;
  void showWait(std::string_view text) override;
  void closeWait() override;
  bool cancelRequested() override;
  // The window "Meldung": the note stays on screen while the command goes on.
  void showNote(std::string_view text) override;
  // The note window while it exists (for the tests).
  TNoBreakMessF* noteWindow() const { return m_note; }

 private:
  QPointer<QWidget> m_parent;
  QPointer<QProgressDialog> m_wait;
  QPointer<TNoBreakMessF> m_note;
};

}  // namespace kelvaro::gui
