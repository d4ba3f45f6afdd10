// The page "Einstellungen" of the main window: directories and files of the program, the
// constants of the project, tool tips, the protocol file and the place for the sun times.
#pragma once

#include <array>

#include "app/settings_page_commands.h"
#include "pages/main_page.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace kelvaro::gui {

class SettingsPage : public MainPage {
  Q_OBJECT

 public:
  SettingsPage(MainContext& context, QWidget* parent);

  QString caption() const override { return QStringLiteral("Einstellungen"); }
  QString helpTopic() const override { return QStringLiteral("seitEinst"); }
  void refresh() override;
  void leavePage() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void browse(SettingsPath field);
  void takeConstants();
  void regionChosen(int index);
  void showCoordinates();
  void openSunSettings();

  static constexpr std::size_t kPathCount = 5;
  std::array<QLineEdit*, kPathCount> m_paths{};
  QPlainTextEdit* m_constants = nullptr;  // KonstMemo
  QLabel* m_lineLogLabel = nullptr;       // HexProtLb
  QCheckBox* m_hints = nullptr;
  QComboBox* m_region = nullptr;  // PLZBox
  QLabel* m_longitude = nullptr;  // GeoLLb
  QLabel* m_latitude = nullptr;   // GeoBLb
};

// Tool tips on or off for the whole application at once.
void setToolTipsShown(bool shown);

}  // namespace kelvaro::gui
