// The page "E/A-Module" of the main window.
#pragma once

#include "pages/main_page.h"

namespace kelvaro::gui {

class StationsPage : public MainPage {
  Q_OBJECT

 public:
  StationsPage(MainContext& context, QWidget* parent);

  QString caption() const override { return QStringLiteral("E/A-Module"); }
  QString helpTopic() const override { return QStringLiteral("seitSignalst"); }
};

}  // namespace kelvaro::gui
