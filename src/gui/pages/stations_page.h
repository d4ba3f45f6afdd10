// The page "E/A-Module" of the main window: the project's hardware stations.
#pragma once

#include "pages/main_page.h"

class QListWidget;

namespace kelvaro::gui {

class StationsPage : public MainPage {
  Q_OBJECT

 public:
  StationsPage(MainContext& context, QWidget* parent);

  QString caption() const override { return QStringLiteral("E/A-Module"); }
  QString helpTopic() const override { return QStringLiteral("seitSignalst"); }
  void refresh() override;

 private:
  QListWidget* m_stations = nullptr;
};

}  // namespace kelvaro::gui
