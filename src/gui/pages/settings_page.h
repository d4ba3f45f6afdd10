// The page "Einstellungen" of the main window.
#pragma once

#include "pages/main_page.h"

namespace kelvaro::gui {

class SettingsPage : public MainPage {
  Q_OBJECT

 public:
  SettingsPage(MainContext& context, QWidget* parent);

  QString caption() const override { return QStringLiteral("Einstellungen"); }
  QString helpTopic() const override { return QStringLiteral("seitEinst"); }
};

}  // namespace kelvaro::gui
