// The page "Steuereinheit" of the main window.
#pragma once

#include "pages/main_page.h"

namespace kelvaro::gui {

class ControlUnitPage : public MainPage {
  Q_OBJECT

 public:
  ControlUnitPage(MainContext& context, QWidget* parent);

  QString caption() const override { return QStringLiteral("Steuereinheit"); }
  QString helpTopic() const override { return QStringLiteral("seitSteuereinh"); }
};

}  // namespace kelvaro::gui
