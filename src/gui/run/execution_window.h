// The execution window "Ausführung": shows one view with the elements of the objects placed
// on it, drives the run session with its four timers and forwards clicks, menu commands and
// entries to it. What runs, what an element shows and what a click does is the session's.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QHash>
#include <QPixmap>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/editor_request.h"
#include "runtime/debugger.h"
#include "runtime/run_session.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QScrollArea;
class QTimer;

namespace kelvaro::gui {

class TDebugF;
class TEingabeF;
class TMsgListF;
class TPSButton;
class TPSGauge;
class TPSImage;
class TPSPanel;
class RunCanvas;

struct ExecutionWindowOptions {
  bool visualisation = false;
  bool hardwareControl = false;
  bool writeProtocol = false;
  std::string protocolPath = "PROTOCOL.TXT";
  bool trace = false;  // "Ablaufverfolgung": the debugger in a PC execution
  std::vector<std::string> traceList;
  std::string bitmapDirectory;
  std::string projectFile;  // where a bitmap missing in bitmapDirectory is looked for besides
  EngineOptions engine;
  // Off in tests: the timers' handlers are then called by the test, in virtual time.
  bool autoTimers = true;
  std::function<void(const QString& topic)> showHelp;
  // The line to the control unit for a run with the hardware; not owned, outlives the window.
  // None: nothing is exchanged.
  StationLink* link = nullptr;
  // The modem at the unit for the telephone remote control (telephoneOptions()).
  TelephoneOptions telephone;
};

class TIntRunF : public QDialog {
  Q_OBJECT

 public:
  // The project and the compile output must outlive the window; the clock is the run's time.
  TIntRunF(Project& project, CompileOutput& compiled, const Clock& clock, UserInterface& ui,
           ExecutionWindowOptions options, QWidget* parent = nullptr);
  ~TIntRunF() override;

  RunSession& session() { return *m_session; }
  // The object editor to open after the window closed on a run-time error.
  std::optional<EditorRequest> editorRequest() const;

  // The window's four timers. Their handlers keep the names Timer1Timer to Timer4Timer that the
  // rest of the program's windows use for a timer's tick; RunTimer says which is which.
  enum class RunTimer {
    autoStart,           // Timer1, 100 ms: starts the run once, shortly after the window opened
    visualisationCycle,  // Timer2, 10 ms: the cycle of a visualisation
    executionClock,      // Timer3, 10 ms: the clock pass of a run on the PC
    radioSupervision,    // Timer4, 1 s: watches radio devices for a missing message
  };
  static constexpr int kRunTimers = 4;
  void Timer1Timer();
  void Timer2Timer();
  void Timer3Timer();
  void Timer4Timer();
  bool timerOn(RunTimer timer) const;

  // The menu commands.
  void Start2Click();
  void Stop2Click();
  void Ende1Click();
  void Abbruch1Click();
  void AnsichtClick();
  void MeldungslistenClick();
  void Einzelschritt1Click();

  // Redraws every element whose object was refreshed since the last call.
  void refreshElements();

  // For tests and screenshots.
  QWidget* element(int object) const;
  TPSImage* imageElement(int object) const;
  TPSPanel* panelElement(int object) const;
  TPSGauge* gaugeElement(int object) const;
  TPSButton* buttonElement(int object) const;
  TPSPanel* textPanel(int object) const;  // a bitmap element's state-name panel
  TEingabeF* inputDialog() const { return m_input; }
  TDebugF* debugDialog() const { return m_debugDialog; }
  TMsgListF* messageListWindow() const { return m_msgList; }
  QAction* menuAction(const QString& objectName) const;
  QMenu* actionMenu() const { return m_aktion; }
  QMenu* popupMenu() const { return m_popup; }
  QLabel* statusPanel() const { return m_msgPanel; }
  QLabel* namePanel() const { return m_objNamPnl; }
  bool backgroundShown() const { return !m_background.isNull(); }

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void done(int result) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Element {
    ElementKind kind = ElementKind::None;
    QWidget* widget = nullptr;
    TPSImage* image = nullptr;
    TPSPanel* panel = nullptr;
    TPSGauge* gauge = nullptr;
    TPSButton* button = nullptr;
    TPSPanel* textPanel = nullptr;  // bitmap elements: the state name
    QWidget* mark = nullptr;        // a thermostat's mark report, drawn over the element's corner
    QString bitmapFile;             // the picture shown now
  };
  void updateMark(Element& e, const ObjectDisplay& d, const QRect& rect);

  void buildMenus();
  void buildClient();
  void placeWindow();
  void storePlacement();
  void initialiseRun();
  void startRun();
  void closeRun();
  void setTimer(RunTimer timer, bool on);
  void afterAction();
  void loadBackground();
  void rebuildElements();
  void createElement(int object);
  void updateElement(int object);
  void elementClicked(int object);
  void showNamePanel(int object);
  void hideNamePanel();
  void syncStatus();
  void syncCaption();
  void syncInputDialog();
  void applyInput(const QString& value);
  void processPendingInput();
  bool inTick() const { return m_clockBusy || m_cycleBusy || m_startBusy; }
  const QPixmap& pixmap(const QString& file);
  QPoint inputPosition(const InputRequest& request) const;

  Project& m_project;
  const Clock& m_clock;
  UserInterface& m_ui;
  ExecutionWindowOptions m_options;
  std::unique_ptr<RunSession> m_session;
  std::unique_ptr<Debugger> m_debugger;

  QMenuBar* m_menuBar = nullptr;
  QMenu* m_aktion = nullptr;
  QMenu* m_popup = nullptr;
  QAction* m_start2 = nullptr;
  QAction* m_stop2 = nullptr;
  QAction* m_ende1 = nullptr;
  QAction* m_abbruch1 = nullptr;
  QAction* m_ansicht = nullptr;
  QAction* m_meldungslisten = nullptr;
  QAction* m_start1 = nullptr;
  QAction* m_stop1 = nullptr;
  QAction* m_einzelschritt1 = nullptr;
  QScrollArea* m_scroll = nullptr;
  RunCanvas* m_canvas = nullptr;
  QLabel* m_msgPanel = nullptr;
  QLabel* m_objNamPnl = nullptr;
  QPlainTextEdit* m_memo1 = nullptr;
  TEingabeF* m_input = nullptr;
  TDebugF* m_debugDialog = nullptr;
  TMsgListF* m_msgList = nullptr;
  QTimer* m_timers[kRunTimers] = {};
  bool m_timerOn[kRunTimers] = {};

  std::vector<Element> m_elements;
  std::vector<char> m_dirty;
  std::vector<int> m_dirtyList;
  QPixmap m_background;
  QHash<QString, QPixmap> m_pixmaps;
  std::optional<InputRequest> m_inputShown;
  std::vector<QString> m_deferredInputs;
  std::string m_lastCaption;
  QElapsedTimer m_inputPoll;
  bool m_startBusy = false, m_clockBusy = false, m_cycleBusy = false, m_supervisionBusy = false;
  bool m_closed = false;
};

}  // namespace kelvaro::gui
