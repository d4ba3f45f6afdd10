// The page "Typen" of the main window.
#pragma once

#include "pages/main_page.h"

namespace kelvaro::gui {

class TypesPage : public MainPage {
  Q_OBJECT

 public:
  TypesPage(MainContext& context, QWidget* parent);

  QString caption() const override { return QStringLiteral("Typen"); }
  QString helpTopic() const override { return QStringLiteral("seittypen"); }
};

}  // namespace kelvaro::gui
