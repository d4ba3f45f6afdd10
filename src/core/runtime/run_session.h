// A PC execution or visualisation as the execution window runs it, without the drawing: the
// run list and views, Start/Stop/Ende/Abbruch, what each object shows, clicks, the input
// dialog's values, the protocol file and the status line. The Qt window draws what this says;
// the headless runner drives the same session.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/engine.h"
#include "runtime/hardware_exchange.h"
#include "runtime/telephone_control.h"

namespace kelvaro {

class Debugger;

// 4.32 s: how long a status message stays.
inline constexpr DateTime kStatusMessageLife = 0.00005;

enum class ElementKind { Bitmap, Panel, Gauge, Button, None };

// What the window shows of one object.
struct ObjectDisplay {
  ElementKind element = ElementKind::None;
  bool shown = false;       // placed on the current view
  int slot = -1;            // the placement slot (0..2) in use
  std::int32_t width = 0, height = 0;
  bool visible = true;      // the element is visible
  int state = -1;           // bitmap elements: the state shown
  std::string bitmap;       // bitmap elements: the file of the state's bitmap; empty = none
  std::string text;         // the state name, the number with its decimals, or the text
  double gaugeValue = 0.0;  // gauges
  bool outputPending = false;
  bool timeout = false, battery = false;
  bool errorMark = false;       // the object's station was reported not answering
  bool powerlineError = false;  // shown in the message list "Powerline-Kommunikation"
  int marker = 0;               // a mark the display draws at the element (a thermostat's report)
};

enum class InputMode { Text, Integer, Real, State, View };

// The non-modal input dialog while it is open.
struct InputRequest {
  InputMode mode = InputMode::Text;
  std::string prompt;  // at most 100 characters
  int symbol = -1;
  int owner = -1;      // the object at whose element it opens; -1 = the window's corner
  std::string value;   // the current value, as the dialog shows it
  std::vector<std::string> choices;  // states or views
};

struct RunSessionOptions {
  bool visualisation = false;
  bool hardwareControl = false;
  bool writeProtocol = false;  // "Protokoll schreiben"; only with hardware control
  std::string protocolPath = "PROTOCOL.TXT";
  std::string bitmapDirectory;
  std::string projectFile;  // bitmaps missing in bitmapDirectory are looked for beside it
  EngineOptions engine;
  // The line to the control unit while the run has the hardware (hardware control or
  // visualisation); not owned, and must outlive the session. None: nothing is exchanged.
  StationLink* link = nullptr;
  // The modem at the unit: the access number a caller keys, its initialisation text and its
  // type. Callers fill it with telephoneOptions(settings REMOTEPW, settings MODEMINIT); left
  // empty, no caller gets in and no tone sounds. Used in a PC execution with a link only.
  TelephoneOptions telephone;
};

class RunSession final : public EngineHost {
 public:
  RunSession(Project& project, CompileOutput& compiled, const Clock& clock, UserInterface& ui,
             RunSessionOptions options = {});
  ~RunSession() override;
  RunSession(const RunSession&) = delete;
  RunSession& operator=(const RunSession&) = delete;

  Engine& engine() { return m_engine; }
  const Engine& engine() const { return m_engine; }

  // Before the window is shown: start-of-run settings, action items, reset, first view.
  void initialise();
  // The commands of the window.
  void start();
  void stop();
  void end();    // "Ende": closes at the next timer tick
  void abort();  // "Abbruch": closes now
  // The clock timer (10 ms in PC execution): the status line's life, then the clock pass.
  void clockTimer();
  // The cycle timer of the visualisation.
  void cycleTimer();
  // The radio timeout supervision (a 1 s timer): a radio device silent for more than 57.6
  // minutes gets its timeout flag, one caption note and one beep.
  void supervisionTimer();
  bool running() const { return m_running; }
  // The window closes when a timer sees the stop flag.
  bool closing() const { return m_engine.stopFlag; }

  // Views.
  void showView(std::string_view name, bool rebuild = true);
  const std::string& viewName() const { return m_viewName; }
  bool backgroundShown() const { return m_backgroundShown; }
  std::string caption() const;

  // Display.
  const ObjectDisplay& display(int object) const { return m_display[static_cast<std::size_t>(object)]; }
  // Called whenever the text an object shows changes (headless trace, tests).
  std::function<void(int object, const std::string& text)> onShownChange;
  // Called after every display refresh of an object, so a window redraws only what changed.
  std::function<void(int object)> onRefresh;
  // Called while a program runs, so that a window can handle its pending input ("Abbruch").
  std::function<void()> onProcessInput;
  // The text an object shows: state name, number with its decimals, or text; "" for none.
  std::string shownText(int object) const;

  // Clicks and the input dialog.
  void click(int object);
  void dragSlider(int object, double value);
  const std::vector<std::pair<std::string, int>>& actionItems() const { return m_actions; }
  void actionClick(std::size_t item);
  void openViewChoice();
  // Opens the input dialog on an object's own value whatever its screen-input mode: state
  // mode for a state object, else as InputStatement. For scripted entries (headless runs).
  void openInputFor(int object);
  const std::optional<InputRequest>& input() const { return m_input; }
  // The dialog's OK: the value is applied between timer ticks, as the posted message would be.
  void postInput(std::string_view value);
  void cancelInput() { m_input.reset(); }

  // Status line.
  bool statusShown() const { return m_statusShown; }
  const std::string& statusText() const { return m_statusText; }

  // Protocol lines (the hardware exchange writes them); also what they look like.
  static std::string protocolOutputLine(DateTime when, std::string_view object, std::string_view data);
  static std::string protocolInputLine(DateTime when, std::string_view object, std::string_view value);
  void protocolInput(int object, std::string_view value);
  void protocolOutput(int object, std::string_view data);
  bool protocolOpen() const { return m_protocol.is_open(); }

  // The exchange with the control unit; nothing without a link.
  HardwareExchange* exchange() { return m_exchange.get(); }
  // The telephone remote control of a PC execution with a link; nothing otherwise.
  TelephoneControl* telephone() { return m_telephone.get(); }

  // The debugger of a PC execution with "Ablaufverfolgung"; nothing = none. Not owned.
  void setDebugger(Debugger* debugger) {
    m_debugger = m_options.visualisation ? nullptr : debugger;
    m_engine.setDebugging(m_debugger != nullptr);
  }

  // EngineHost
  void processInput() override {
    if (onProcessInput) onProcessInput();
  }
  void objectStarted(int object) override;
  bool beforeStatement(int object, int codePosition) override;
  void showStatusMessage(std::string_view text) override;
  void inputStatement(std::string_view prompt, int symbol) override;
  void redrawObject(int object) override;
  void refreshDisplay() override;
  bool hardwareAttached() const override { return m_exchange != nullptr; }
  void readInputs() override;
  void writeOutputs() override;
  void queryObject(int object) override;
  void sendModemText(std::string_view text) override;
  void dialStarted() override;
  void modemSupervision() override;

 private:
  friend class HardwareExchange;
  ElementKind elementKind(const TPSObj& o) const;
  void refreshObject(std::size_t i);
  void queueOwner(int owner);

  Project& m_project;
  const Clock& m_clock;
  UserInterface& m_ui;
  RunSessionOptions m_options;
  Engine m_engine;
  std::vector<ObjectDisplay> m_display;
  std::vector<std::string> m_lastShown;
  std::vector<int> m_refreshList;  // the objects of the refresh at hand
  std::vector<std::pair<std::string, int>> m_actions;  // caption, object
  std::optional<InputRequest> m_input;
  std::string m_viewName;
  bool m_backgroundShown = false;
  bool m_viewBuiltOnce = false;
  bool m_running = false;
  bool m_stopped = false;
  bool m_clockBusy = false;
  bool m_statusShown = false;
  std::string m_statusText;
  std::string m_captionNote;  // " Zeitüberschreitung bei ..." after the running caption
  DateTime m_lastSupervision = 0.0;
  DateTime m_statusTime = 0.0;
  std::ofstream m_protocol;
  Debugger* m_debugger = nullptr;
  std::unique_ptr<HardwareExchange> m_exchange;
  std::unique_ptr<TelephoneControl> m_telephone;
};

}  // namespace kelvaro
