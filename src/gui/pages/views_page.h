// The page "Ansichten" of the main window.
#pragma once

#include "pages/main_page.h"

namespace kelvaro::gui {

class ViewsPage : public MainPage {
  Q_OBJECT

 public:
  ViewsPage(MainContext& context, QWidget* parent);

  QString caption() const override { return QStringLiteral("Ansichten"); }
  QString helpTopic() const override { return QStringLiteral("seitAnsicht"); }
};

}  // namespace kelvaro::gui
