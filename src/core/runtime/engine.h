// The interpreter of the PC code: runs the objects' token code straight from the compiler's
// code buffer, keeps the variables' values in the symbol list and drives the clock and queue.
// Everything it does to the outside world goes through EngineHost, UserInterface and Clock.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "ui/user_interface.h"
#include "astro/sun_times.h"
#include "language/compiler.h"
#include "model/project.h"
#include "time/clock.h"

namespace kelvaro {

// Runtime error codes; the compiler's -12 and -13 are reused for a bad assignment value.
namespace runerr {
inline constexpr int kBadArithmetic = -12;   // "|" without the arithmetic byte
inline constexpr int kBadValue = -13;        // an assignment value the engine cannot read
inline constexpr int kNoVariable = -2011;
inline constexpr int kNoTimeVariable = -2012;
inline constexpr int kNoTextVariable = -2013;
inline constexpr int kObjectExpected = -2111;
inline constexpr int kBadVisibleObject = -2211;
inline constexpr int kBadActiveObject = -2213;
inline constexpr int kBadInputObject = -2215;
inline constexpr int kBadDoneObject = -2223;
}  // namespace runerr

// The line a runtime error box shows for a code; empty for codes without a line of their own.
std::string_view runtimeErrorLine(int code);

inline constexpr std::size_t kQueueSlots = 255;
// The queued programs one clock pass (or one cycle of its own) may run, counted in
// statements. A program that queues itself again and again would otherwise keep the cycle
// busy for ever and the window or the headless runner would never get control back; what is
// left when the budget is spent stays queued, in its order, for the next pass. A real
// installation's queue work is a few hundred statements a pass.
inline constexpr std::uint64_t kQueueStatementsPerPass = 100'000;
// The longest text a text variable holds; a longer result is cut. 64 KiB is far beyond
// anything a panel shows or a modem sends, and keeps «T := T + T» in a loop from eating
// the machine's memory.
inline constexpr std::size_t kMaxTextLength = 64 * 1024;
// How many statements run between two calls of the window's input pump, so that "Abbruch"
// and "Ende" work while a program runs without paying for a call on every statement.
inline constexpr std::uint64_t kInputPollStatements = 64;
static_assert((kInputPollStatements & (kInputPollStatements - 1)) == 0, "a power of two, counted by a mask");
inline constexpr int kUnsetClockField = 255;
inline constexpr int kInitLevel = 255;
inline constexpr int kQueueLevel = 254;

// What the engine keeps per run-list entry, beside the project's own TPSObj.
struct ObjectRunState {
  bool active = true;
  bool visible = true;
  bool switched = false;
  bool changePending = false;
  bool refreshRequest = false;
  bool fromHardware = false;
  DateTime lastChange = 0.0;
  std::int32_t left = 0, top = 0;  // the visual element's position
  std::int32_t gaugeColor = -1;    // BALKENFARBE: index in the colour names; -1 = the object's own
};

// The operands of a reference as the engine reads them: a symbol or system value number and,
// for the system values that take one ("STOPPZEIT(var)"), the number of the argument.
struct CodeOperand {
  int number = -1;
  int argument = -1;
};

struct NumericResult {
  int kind = -1;  // 3 real, 2 integer, 1 state, 4 text, 5 time, -1 none
  std::int32_t integer = 0;
  double real = 0.0;
};

// The window side of the engine: what a statement asks of the execution window. The run
// session implements it; the defaults do nothing, which is what a bare engine in a test wants.
class EngineHost {
 public:
  virtual ~EngineHost() = default;
  // Lets the window handle pending input while a program runs ("Abbruch" must work). Called
  // every few statements and between queued programs.
  virtual void processInput() {}
  virtual void showStatusMessage(std::string_view /*text*/) {}
  // The EINGABE statement: the value arrives later, between timer ticks.
  virtual void inputStatement(std::string_view /*prompt*/, int /*symbol*/) {}
  // Redraw one object now (SICHTBAR, BALKENFARBE).
  virtual void redrawObject(int /*object*/) {}
  // The display refresh of a cycle: the objects the engine lists as changed or to be redrawn
  // (Engine::takeDirtyObjects); called only when there are any.
  virtual void refreshDisplay() {}
  // Modem text for the control unit's modem; only with hardware attached.
  virtual void sendModemText(std::string_view /*text*/) {}
  // ANRUFEN is about to dial: the telephone control watches the attempt from now on.
  virtual void dialStarted() {}
  virtual void modemSupervision() {}
  // Debugger: called at the start of every object program and before every statement, while
  // the engine is told a debugger is open (Engine::setDebugging). beforeStatement returns
  // false when the run is to end.
  virtual void objectStarted(int /*object*/) {}
  virtual bool beforeStatement(int /*object*/, int /*codePosition*/) { return true; }
  // The exchange with the control unit: with hardware attached every cycle reads what the
  // unit delivered before the queue runs and sends what changed after the display refresh.
  virtual bool hardwareAttached() const { return false; }
  virtual void readInputs() {}
  virtual void writeOutputs() {}
  // ABFRAGE: the object's station is asked for its state.
  virtual void queryObject(int /*object*/) {}
};

struct EngineOptions {
  bool visualisation = false;  // the control unit runs the programs; the PC only shows
  SunSettings sun;
  bool applySummerTime = true;
  std::uint32_t randomSeed = 5489u;
  // Statements one program may run before the engine ends it as a runaway loop; 0 = no
  // limit (the window's "Abbruch" is then the only way out of a GEHEZU loop).
  std::uint64_t statementLimit = 0;
  // STARTWIN: starts a program given as its words; the default spawns it without a shell.
  std::function<bool(const std::vector<std::string>&)> startProgram;
};

// Splits a command line into its words: blanks separate, double quotes group.
std::vector<std::string> splitCommandLine(std::string_view text);
// Starts a program without a shell and without waiting; false when it cannot be started.
bool spawnProgram(const std::vector<std::string>& words);

class Engine {
 public:
  // The project and the compile output must outlive the engine; the symbols' values change.
  Engine(Project& project, CompileOutput& compiled, const Clock& clock, UserInterface& ui,
         EngineOptions options = {});

  void setHost(EngineHost* host) { m_host = host ? host : &m_noHost; }
  // With a debugger open the host hears of every program start and every statement.
  void setDebugging(bool on) { m_debugging = on; }

  // Reset: at the start of a run and at every "Start".
  void reset();
  // The start-of-run settings of every object and variable.
  void startOfRun();

  void clockPass();
  void cycle();
  void enqueue(int object);
  void runQueue();
  void runObject(int object, int& level);

  int setVariable(int symbol, std::int32_t i, double r);
  void markChanged(int object);
  // Asks the next display refresh to redraw the object (a view shown, a position set).
  void requestRefresh(int object);
  // The objects with a change pending or a refresh request, each listed once, in the order
  // they were marked. The display refresh takes them and works through only these, so that
  // a cycle in which nothing changed costs next to nothing.
  const std::vector<int>& dirtyObjects() const { return m_dirty; }
  void takeDirtyObjects(std::vector<int>& into);

  // "Now" as the engine sees it: read from the clock once for a clock pass, a cycle or a queue
  // run, so that every statement of it sees the same time; between them the clock itself.
  DateTime now() const { return m_nowFixed ? m_now : m_clock.now(); }

  NumericResult numericValue(const CodeOperand& operand) const;
  std::string textValue(const CodeOperand& operand) const;
  DateTime timeValue(const CodeOperand& operand) const;
  // -1, 0 or 1 (true); `third` only for ZWISCHEN.
  int compare(const CodeOperand& left, const CodeOperand& right, std::uint8_t op, const CodeOperand& third = {}) const;

  // The text of a symbol as the views show it: the state name, the number, the text.
  std::string symbolText(int symbol) const { return textValue({symbol, -1}); }

  // Engine state, read by the run session, the debugger and tests.
  std::vector<ObjectRunState>& objects() { return m_objects; }
  const std::vector<ObjectRunState>& objects() const { return m_objects; }
  const std::deque<int>& queue() const { return m_queue; }
  int owner(int symbol) const;
  const Project& project() const { return m_project; }
  Project& project() { return m_project; }
  const CompileOutput& compiled() const { return m_compiled; }
  // The variables. Texts and times may be written here; numbers (integers, reals, states)
  // only through setVariable, which also keeps the engine's packed copy of them.
  SymbolList& symbols() { return m_compiled.symbols; }
  const Clock& clock() const { return m_clock; }
  UserInterface& ui() { return m_ui; }

  bool stopFlag = false;
  bool abortFlag = false;
  bool modemReady = false;
  bool firstPass = true;
  int errorCode = 0;
  int errorPosition = 0;
  int errorObject = -1;
  int errorHandlerObject = -1;
  int objectErrorCount = 0;
  int errorObjectIndex = -1;
  int runLevel = 0;
  int pendingLevel = 2;
  // The clock.
  int lastSecond = 99, lastMinute = kUnsetClockField, lastHour = kUnsetClockField, lastDay = kUnsetClockField;
  std::string clockText = "99:99:99";
  DateTime clockTime = 0.0;
  int clockSecond = 99;  // SEC5
  // Telephone: the number ANRUFEN dials and the repeats still to come.
  std::string dialNumber;
  int dialRepeats = 0;
  // Statements run since the start; for the benchmarks and the runaway guard.
  std::uint64_t statementsRun = 0;

  // The message shown when memory runs out during a run; the run then ends.
  static constexpr std::string_view kOutOfMemoryMessage = "Nicht gen\xFCgend Arbeitsspeicher - die Ausf\xFChrung wird beendet";

 private:
  void execute(int object, int statement, int& pc, int end);
  int assign(int& pc, int end);
  bool assignNumber(int& pc, int end);
  int testNumbers(int pc, int end) const;
  int assignOther(int target, int& pc, int end);
  int copyText(int target, const std::string& text);
  int storeNumber(int symbol, std::int32_t i, double r);
  int storeChange(int symbol, std::int32_t i, double r);
  bool condition(int pc, int end, int thenAddress);
  double arithmetic(int& pc, int end) const;
  std::string textExpression(int pc, int end) const;
  DateTime timeExpression(int pc, int end) const;
  bool readOperand(int& pc, int end, CodeOperand& operand) const;
  void readArgument(int& pc, int end, CodeOperand& operand) const;
  bool readObject(int& pc, int end, int& object) const;
  void reportError(int object);
  void list(int object);
  double realOf(int symbol) const;
  bool compareNumbers(int left, int right, std::uint8_t op, bool& result) const;
  void setError(int code, int position);
  DateTime sunTime(const CodeOperand& operand, bool sunrise) const;
  DateTime randomTime(const CodeOperand& operand) const;
  bool validObject(int object) const { return object >= 0 && static_cast<std::size_t>(object) < m_objects.size(); }
  bool validSymbol(int symbol) const { return symbol >= 0 && static_cast<std::size_t>(symbol) < m_compiled.symbols.size(); }

  // Runs a top-level step (a clock pass, a cycle, a queue run) with a fresh queue budget, and
  // turns an allocation failure into a message and the end of the run.
  template <class Step>
  void topLevel(Step&& step);
  void runQueueBounded();
  void clockPassStep();

  struct OperandInfo;
  OperandInfo describe(const CodeOperand& operand) const;
  const std::string& textOf(OperandInfo& info, const CodeOperand& operand) const;
  const std::string& formattedTime(double value, const std::string& format) const;

  Project& m_project;
  CompileOutput& m_compiled;
  const Clock& m_clock;
  UserInterface& m_ui;
  EngineOptions m_options;
  EngineHost m_noHost;
  EngineHost* m_host = &m_noHost;
  std::vector<ObjectRunState> m_objects;
  std::vector<int> m_owner;
  std::deque<int> m_queue;
  int m_initObject = -1;
  bool m_clockBusy = false;
  bool m_cycleBusy = false;
  bool m_inStep = false;            // inside a top-level step
  std::uint64_t m_queueWork = 0;    // statements run from the queue in this step
  bool m_debugging = false;
  bool m_nowFixed = false;
  DateTime m_now = 0.0;
  // The numbers of the variables, packed: what the clock pass compares and computes with is
  // read here instead of from the symbol list's descriptors, which stay the record of every
  // value; the engine writes numbers to both (setVariable).
  struct ValueCell {
    double real = 0.0;             // a real
    std::int32_t integer = 0;      // an integer, or a state
    std::int32_t maxState = 0;     // a state's last
    std::uint8_t kind = 0;         // the descriptor's alternative
  };
  std::vector<ValueCell> m_cells;
  void loadCells();
  std::vector<int> m_dirty;              // see dirtyObjects()
  std::vector<std::uint8_t> m_listed;    // per object: in m_dirty
  struct TimeText {
    double value = -1.0;
    std::string format, text;
  };
  mutable std::array<TimeText, 4> m_timeTexts;  // the last few time texts made for a comparison
  mutable std::mt19937 m_random;
};

}  // namespace kelvaro
