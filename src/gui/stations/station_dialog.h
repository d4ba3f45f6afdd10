// The station dialog "E/A-Module konfigurieren" (TCConfigF): one station's type, bus, address
// and version, its channel list with the channel panel, and, when opened on the line, reading
// and writing the station, its address and the station test.
#pragma once

#include <QDialog>
#include <array>
#include <memory>

#include "stations/dialog_support.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace kelvaro {
class StationCommands;
struct TPSContr;
}  // namespace kelvaro

namespace kelvaro::gui {

struct UnitLine;

class TCConfigF : public QDialog {
  Q_OBJECT

 public:
  // station: the index in the project's list. onLine: "Verbindung zur Hardware herstellen",
  // which opens the line and puts the unit into configuration mode when the dialog opens.
  TCConfigF(MainContext& context, int station, bool onLine, QWidget* parent);
  ~TCConfigF() override;

  // Opens the line (when asked for) once the dialog shows; false when there is no unit.
  bool connectLine();
  bool connected() const;
  // The line closes with the dialog, after the unit left configuration mode.
  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TPSContr& station();
  void buildControls();
  QPushButton* lineButton(const char* name, const QString& caption);
  void showStation();
  void showChannels();
  void showBusTypes();
  void enableLineCommands();
  void busChosen(int index);
  void typeChosen(int index);
  void stationAddressEdited(int value);
  void radioAddressEdited();
  void newAddressEdited();
  void openChannelPanel();
  void channelPanelOk();
  int selectedSlot() const;
  // Runs a command of the line with a busy cursor; the station's fields show its result.
  void onLine(const std::function<void(StationCommands&)>& command);
  void openTest();

  MainContext& m_context;
  int m_index;
  bool m_wantLine;
  StatusLineInterface m_ui;
  std::unique_ptr<UnitLine> m_line;
  std::unique_ptr<StationCommands> m_commands;
  int m_panelSlot = 0;  // the slot the channel panel edits, 1 to 8
  bool m_busy = false;

  QLabel* m_name = nullptr;
  QComboBox* m_bus = nullptr;   // CPLtgSBox
  QComboBox* m_type = nullptr;  // ContrTypCBox
  QLabel* m_typeText = nullptr;
  QLabel* m_addressLabel = nullptr;
  QSpinBox* m_stationAddress = nullptr;  // StAdrSBox
  QLineEdit* m_radioAddress = nullptr;   // AdrEdt
  QLabel* m_version = nullptr;           // ACDEVers
  QLabel* m_special = nullptr;           // the red " Config " of 40611x/40612x
  QListWidget* m_channels = nullptr;     // DevLB
  QGroupBox* m_panel = nullptr;          // CfgPnl
  QLineEdit* m_channelName = nullptr;    // CEBez
  QComboBox* m_function = nullptr;       // CECBox
  QLabel* m_functionLabel = nullptr;
  QSpinBox* m_groupAddress = nullptr;  // CESBox1
  QSpinBox* m_groupPort = nullptr;     // CESBox2
  QLabel* m_groupAddressLabel = nullptr;
  QLabel* m_groupPortLabel = nullptr;
  std::array<QSpinBox*, 5> m_values{};  // CESBox3 to CESBox7
  std::array<QLabel*, 5> m_valueLabels{};
  QCheckBox* m_offline = nullptr;           // CECkBox
  QComboBox* m_object = nullptr;            // ObjCB
  QGroupBox* m_addressPanel = nullptr;      // "Adressen der Signalstationen einstellen"
  QSpinBox* m_newAddress = nullptr;         // NewAdrBox
  QPushButton* m_receiveAddress = nullptr;  // FunkAdrBtn
  QPushButton* m_sendAddress = nullptr;     // "Adresse senden"
  QPushButton* m_testButton = nullptr;      // "Station &testen"
  QLabel* m_status = nullptr;
  std::vector<QPushButton*> m_lineButtons;
};

}  // namespace kelvaro::gui
