// The page "E/A-Module" of the main window: the project's hardware stations, their commands
// and the memo in which the commands over the whole line report.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "pages/main_page.h"

class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace kelvaro {
class StationCommands;
}

namespace kelvaro::gui {

class StationsPage : public MainPage {
  Q_OBJECT

 public:
  StationsPage(MainContext& context, QWidget* parent);

  QString caption() const override { return QStringLiteral("E/A-Module"); }
  QString helpTopic() const override { return QStringLiteral("seitSignalst"); }
  void refresh() override;

 private:
  QPushButton* addButton(const char* name, const char* caption, void (StationsPage::*handler)());
  void showStations(int select);
  // The selected station's index, or -1 after saying that none is selected.
  int selectedStation();
  void showMemo(const std::vector<std::string>& lines);

  void newStation();
  void deleteStation();
  void editStation();
  void renameStation();
  void connectStation();
  void setGroupAddresses();
  void configureAll();
  void checkAll();
  void autodetect();
  void batteryWarnings();
  void openStationDialog(int station, bool onLine);
  // Runs a command over the whole line in batch mode; its lines and protocol go to the memo.
  void onLine(const std::function<std::vector<std::string>(StationCommands&)>& command);

  QListWidget* m_stations = nullptr;  // ContrBox
  QPlainTextEdit* m_memo = nullptr;   // SStDetectMB
};

}  // namespace kelvaro::gui
