// What the station and radio dialogs share: a user interface whose status goes to the
// dialog's own status line, the F1 help of a dialog, and the note on a command not there yet.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

#include "main_context.h"
#include "qt_text.h"
#include "ui/forwarding_user_interface.h"

class QWidget;

namespace kelvaro::gui {

inline const QString kLaterVersionTip = QStringLiteral("Diese Funktion folgt in einer späteren Version.");

// The main window's user interface, with the status of the line commands shown in a label of
// the dialog as well, and the wait of a command ("Abbruch") shown over the dialog, which stays
// on top and would hide a wait window of the main window.
class StatusLineInterface final : public ForwardingUserInterface {
 public:
  StatusLineInterface(UserInterface& inner, QLabel* status) : ForwardingUserInterface(inner), m_status(status) {}
  ~StatusLineInterface() override;
  // The label the status goes to from now on (a dialog that opens on top takes it over).
  QLabel* label() const { return m_status; }
  void setLabel(QLabel* status) { m_status = status; }
  void showStatus(std::string_view text) override {
    if (m_status != nullptr) m_status->setText(toQ(text));
    inner().showStatus(text);
  }
  void showWait(std::string_view text) override;
  void closeWait() override;
  bool cancelRequested() override;

 private:
  QPointer<QLabel> m_status;
  QPointer<QProgressDialog> m_wait;
};

// F1 in the dialog opens the help topic through the main window's help.
void addHelpKey(QWidget* dialog, MainContext& context, const QString& topic);

}  // namespace kelvaro::gui
