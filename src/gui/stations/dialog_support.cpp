// F1 of the station and radio dialogs.
#include "stations/dialog_support.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

namespace kelvaro::gui {

void addHelpKey(QWidget* dialog, MainContext& context, const QString& topic) {
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), dialog);
  f1->setContext(Qt::WindowShortcut);
  QObject::connect(f1, &QShortcut::activated, dialog, [&context, topic] {
    if (context.showHelp) context.showHelp(topic);
  });
}

}  // namespace kelvaro::gui
