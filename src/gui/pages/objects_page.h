// The page "Objekte" of the main window.
#pragma once

#include "pages/main_page.h"

namespace kelvaro::gui {

class ObjectsPage : public MainPage {
  Q_OBJECT

 public:
  ObjectsPage(MainContext& context, QWidget* parent);

  QString caption() const override { return QStringLiteral("Objekte"); }
  QString helpTopic() const override { return QStringLiteral("seitobj"); }
};

}  // namespace kelvaro::gui
