// The execution window's rules without its widgets: what runs when, what each object shows
// and what a click or an entry in the input dialog does.
#include "runtime/run_session.h"


#include <algorithm>
#include <cstdio>

#include "model/bitmap_search.h"
#include "model/type_states.h"
#include "runtime/debugger.h"
#include "runtime/engine_support.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro {

using engine_detail::fileExists;
using engine_detail::realText;

RunSession::RunSession(Project& project, CompileOutput& compiled, const Clock& clock, UserInterface& ui,
                       RunSessionOptions options)
    : m_project(project), m_clock(clock), m_ui(ui), m_options(std::move(options)),
      m_engine(project, compiled, clock, ui, m_options.engine) {
  m_engine.setHost(this);
  m_display.resize(project.objects.size());
  m_lastShown.resize(project.objects.size());
  // The protocol belongs to the exchange with the hardware: without it there is nothing to write.
  if (m_options.hardwareControl && m_options.writeProtocol) m_protocol.open(m_options.protocolPath, std::ios::app);
  if (m_options.link && (m_options.hardwareControl || m_options.visualisation))
    m_exchange = std::make_unique<HardwareExchange>(*this, *m_options.link);
  // In a visualisation the unit runs the installation and answers its telephone itself.
  if (m_exchange && !m_options.visualisation) {
    m_telephone = std::make_unique<TelephoneControl>(m_engine, m_options.telephone,
                                                     [this](std::string_view text) { m_exchange->sendModemText(text); });
    m_exchange->onTelephoneCommand = [this](const std::string& command) { m_telephone->command(command); };
  }
}

RunSession::~RunSession() {
  if (m_exchange) m_exchange->disconnect();
}

void RunSession::readInputs() {
  if (m_exchange) m_exchange->readInputs();
}

void RunSession::writeOutputs() {
  if (m_exchange) m_exchange->writeOutputs();
}

void RunSession::queryObject(int object) {
  if (m_exchange) m_exchange->query(object);
}

void RunSession::sendModemText(std::string_view text) {
  if (m_exchange) m_exchange->sendModemText(text);
}

void RunSession::dialStarted() {
  if (m_telephone) m_telephone->dialStarted();
}

// modemSupervision -> on the 5-second tick, only with a link to the unit
void RunSession::modemSupervision() {
  if (m_telephone) m_telephone->supervise();
}

ElementKind RunSession::elementKind(const TPSObj& o) const {
  if (o.Typ == "Zahl") return o.OutpRB == 0 ? ElementKind::Panel : ElementKind::Gauge;
  if (o.Typ == "Zeichen") return ElementKind::Panel;
  if (o.Typ == "Knopf") return ElementKind::Button;
  if (o.Typ == kUntypedObjectType) return ElementKind::None;
  return ElementKind::Bitmap;
}

// initialise -> before the window is shown
void RunSession::initialise() {
  m_actions.clear();
  for (std::size_t i = 0; i < m_project.objects.size(); ++i) {
    m_display[i].timeout = m_display[i].battery = false;
    m_display[i].errorMark = m_display[i].powerlineError = false;
    m_display[i].marker = 0;
    m_display[i].element = elementKind(m_project.objects[i]);
  }
  m_engine.startOfRun();
  for (std::size_t i = 0; i < m_project.objects.size(); ++i) {
    const TPSObj& o = m_project.objects[i];
    if (o.SpecSt) m_actions.emplace_back(o.VoiceContr.empty() ? o.Name : o.VoiceContr, static_cast<int>(i));
    m_lastShown[i] = shownText(static_cast<int>(i));
  }
  m_engine.reset();
  if (!m_project.views.empty()) showView(m_project.views.front().name, true);
  if (m_exchange) m_exchange->connect();
  m_running = true;
  m_engine.stopFlag = m_engine.abortFlag = false;
}

// start -> "Start": reset and the clock fields, then the timers run
void RunSession::start() {
  m_engine.reset();
  m_engine.lastSecond = 99;
  m_engine.clockText = "99:99:99";
  m_engine.clockSecond = 99;
  for (std::size_t i = 0; i < m_engine.objects().size(); ++i) {
    ObjectRunState& s = m_engine.objects()[i];
    s.changePending = false;
    s.fromHardware = false;
    // The engine counts failed objects afresh at every Start; a mark left from before would
    // never be counted again, and taking it away at the next output would count below zero.
    if (i < m_display.size()) m_display[i].errorMark = false;
    m_engine.requestRefresh(static_cast<int>(i));
  }
  if (m_telephone) m_telephone->reset();
  if (m_exchange) m_exchange->startPoll();
  m_stopped = m_engine.abortFlag;
}

void RunSession::stop() { m_stopped = true; }

void RunSession::end() { m_engine.stopFlag = true; }

void RunSession::abort() {
  m_engine.abortFlag = true;
  m_engine.stopFlag = true;
  m_running = false;
}

std::string RunSession::caption() const {
  if (m_stopped && !m_engine.stopFlag) return m_viewName + " [Ausf\xFChrung gestoppt]";
  if (!m_captionNote.empty()) return m_viewName + " [Ausf\xFChrung aktiv]" + m_captionNote;
  if (m_options.hardwareControl) return m_viewName + (m_options.visualisation ? " [Visualisierung]" : " [Ausf\xFChrung aktiv]");
  return m_viewName;
}

// clockTimer -> status line life, then one clock pass; nothing while stopped or busy
void RunSession::clockTimer() {
  if (m_clockBusy || m_stopped || m_options.visualisation) return;
  if (m_engine.stopFlag) {
    m_running = false;
    return;
  }
  m_clockBusy = true;
  if (m_statusShown && m_clock.now() - m_statusTime > kStatusMessageLife) m_statusShown = false;
  m_engine.clockPass();
  if (m_engine.stopFlag) m_running = false;
  m_clockBusy = false;
}

// supervisionTimer -> at most every 8.64 s: radio devices that have been silent too long
void RunSession::supervisionTimer() {
  const DateTime now = m_clock.now();
  if (m_lastSupervision != 0.0 && now - m_lastSupervision < 0.0001) return;
  m_lastSupervision = now;
  const auto& run = m_engine.objects();
  for (std::size_t i = 0; i < m_project.objects.size(); ++i) {
    const TPSObj& o = m_project.objects[i];
    const int device = o.hardware.deviceCode;
    if (device != 301 && (device < 551 || device > 599)) continue;
    if (m_display[i].timeout || now - run[i].lastChange <= 0.04) continue;
    m_display[i].timeout = true;
    m_captionNote = " Zeit\xFC" "berschreitung bei " + o.OName;
    m_ui.beep();
  }
}

void RunSession::cycleTimer() {
  if (m_stopped || !m_options.visualisation) return;
  if (m_engine.stopFlag) {
    m_running = false;
    return;
  }
  m_engine.cycle();
}

// showView -> which objects the view places and where
void RunSession::showView(std::string_view name, bool rebuild) {
  m_viewName = std::string(name);
  const int view = findView(m_project, name);
  m_backgroundShown = false;
  if (view >= 0) {
    const TViewInfo& info = m_project.views[static_cast<std::size_t>(view)].info;
    m_backgroundShown =
        findBitmap(info.BitmapName, info.NoPath, m_options.bitmapDirectory, m_options.projectFile, fileExists).found;
  }
  auto& run = m_engine.objects();
  for (std::size_t i = 0; i < m_project.objects.size(); ++i) {
    TPSObj& o = m_project.objects[i];
    ObjectDisplay& d = m_display[i];
    if (rebuild && d.shown && d.slot >= 0) {
      // The element may have been moved by SETZEPOSITION: its slot keeps the place.
      TPlan& plan = o.plans[static_cast<std::size_t>(d.slot)];
      plan.Left = run[i].left;
      plan.Top = run[i].top;
      plan.Width = d.width;
      plan.Height = d.height;
    }
    d.shown = false;
    d.slot = -1;
    for (std::size_t s = 0; s < o.plans.size(); ++s) {
      if (!o.plans[s].ViewName.empty() && equalsNoCase(o.plans[s].ViewName, name)) {
        d.shown = true;
        d.slot = static_cast<int>(s);
        run[i].left = o.plans[s].Left;
        run[i].top = o.plans[s].Top;
        d.width = o.plans[s].Width;
        d.height = o.plans[s].Height;
        m_engine.requestRefresh(static_cast<int>(i));
        break;
      }
    }
    if (d.shown && d.element == ElementKind::Bitmap && !m_viewBuiltOnce && i < m_engine.compiled().objects.size()) {
      const int symbol = m_engine.compiled().objects[i].stateSymbol;
      const std::int32_t k = stateIndex(m_project.typeStates, o.Typ, o.StartVal);
      if (symbol >= 0 && k >= 0) m_engine.setVariable(symbol, k, k);
    }
  }
  m_viewBuiltOnce = true;
  refreshDisplay();
}

void RunSession::openViewChoice() {
  if (m_project.views.empty()) return;
  InputRequest r;
  r.mode = InputMode::View;
  r.prompt = "Ansicht";
  for (const auto& v : m_project.views) r.choices.push_back(v.name);
  r.value = m_viewName;
  m_input = std::move(r);
}

void RunSession::openInputFor(int object) {
  if (object < 0 || static_cast<std::size_t>(object) >= m_project.objects.size()) return;
  const TPSObj& o = m_project.objects[static_cast<std::size_t>(object)];
  const auto& objects = m_engine.compiled().objects;
  const int symbol = static_cast<std::size_t>(object) < objects.size() ? objects[static_cast<std::size_t>(object)].stateSymbol : -1;
  if (m_display[static_cast<std::size_t>(object)].element != ElementKind::Bitmap) {
    inputStatement(o.OName, symbol);
    return;
  }
  InputRequest r;
  r.mode = InputMode::State;
  r.prompt = o.OName.substr(0, 100);
  r.symbol = symbol;
  r.owner = object;
  for (const auto& s : statesOf(m_project.typeStates, o.Typ)) r.choices.push_back(s.substr(0, 20));
  r.value = shownText(object);
  m_input = std::move(r);
}

std::string RunSession::shownText(int object) const {
  if (object < 0 || static_cast<std::size_t>(object) >= m_project.objects.size()) return {};
  const auto& objects = m_engine.compiled().objects;
  if (static_cast<std::size_t>(object) >= objects.size()) return {};
  const int symbol = objects[static_cast<std::size_t>(object)].stateSymbol;
  if (symbol < 0 || static_cast<std::size_t>(symbol) >= m_engine.compiled().symbols.size()) return {};
  return m_engine.symbolText(symbol);
}

void RunSession::redrawObject(int object) {
  if (object >= 0 && static_cast<std::size_t>(object) < m_display.size()) refreshObject(static_cast<std::size_t>(object));
}

// refreshObject -> display refresh of one object: change stamp, beep, what its element shows
void RunSession::refreshObject(std::size_t i) {
  const TPSObj& o = m_project.objects[i];
  ObjectRunState& run = m_engine.objects()[i];
  ObjectDisplay& d = m_display[i];
  if (run.changePending) {
    run.lastChange = m_clock.now();
    if (o.Beep) m_ui.beep();
    if (!run.fromHardware) d.outputPending = true;
  }
  const std::string text = shownText(static_cast<int>(i));
  d.text = text;
  d.visible = run.visible;
  if (d.element == ElementKind::Bitmap) {
    const auto& objects = m_engine.compiled().objects;
    const int symbol = i < objects.size() ? objects[i].stateSymbol : -1;
    d.state = symbol >= 0 ? m_engine.numericValue({symbol, -1}).integer : -1;
    d.bitmap.clear();
    if (d.state >= 0 && static_cast<std::size_t>(d.state) < o.stateBitmaps.size() && d.shown && m_backgroundShown) {
      const auto& bitmap = o.stateBitmaps[static_cast<std::size_t>(d.state)].bitmap;
      if (bitmap && !bitmap->BitmapName.empty()) {
        const BitmapLocation location = findBitmap(bitmap->BitmapName, bitmap->NoPath, m_options.bitmapDirectory,
                                                   m_options.projectFile, fileExists);
        d.bitmap = location.path;
        if (!location.found) d.visible = false;  // a missing file hides the element
      } else if (o.NoBitMapRB == 0) {
        d.visible = false;
      }
    }
  } else if (d.element == ElementKind::Gauge) {
    const auto& objects = m_engine.compiled().objects;
    const int symbol = i < objects.size() ? objects[i].stateSymbol : -1;
    d.gaugeValue = symbol >= 0 ? m_engine.numericValue({symbol, -1}).real : 0.0;
  }
  run.refreshRequest = false;
  run.changePending = false;
  run.fromHardware = false;
  if (text != m_lastShown[i]) {
    m_lastShown[i] = text;
    if (onShownChange) onShownChange(static_cast<int>(i), text);
  }
  if (onRefresh) onRefresh(static_cast<int>(i));
}

// refreshDisplay -> the objects the engine listed with a change pending or a refresh request,
// in run-list order; one redrawn already (SICHTBAR) has neither any more
void RunSession::refreshDisplay() {
  m_engine.takeDirtyObjects(m_refreshList);
  std::sort(m_refreshList.begin(), m_refreshList.end());
  const auto& run = m_engine.objects();
  for (const int object : m_refreshList) {
    const auto i = static_cast<std::size_t>(object);
    if (m_project.objects[i].OKind == kKindUndefined) continue;
    if (run[i].changePending || run[i].refreshRequest) refreshObject(i);
  }
}

void RunSession::queueOwner(int owner) {
  if (owner < 0 || m_options.visualisation) return;
  if (m_project.objects[static_cast<std::size_t>(owner)].InputExec) m_engine.enqueue(owner);
}

// click -> what a click on the object's element does, by element and screen-input mode
void RunSession::click(int object) {
  if (object < 0 || static_cast<std::size_t>(object) >= m_project.objects.size()) return;
  if (!m_engine.objects()[static_cast<std::size_t>(object)].active) return;
  const TPSObj& o = m_project.objects[static_cast<std::size_t>(object)];
  const auto& objects = m_engine.compiled().objects;
  const int symbol = static_cast<std::size_t>(object) < objects.size() ? objects[static_cast<std::size_t>(object)].stateSymbol : -1;
  switch (m_display[static_cast<std::size_t>(object)].element) {
    case ElementKind::Bitmap: {
      if (o.BSInputRB == 0) {
        const NumericResult v = m_engine.numericValue({symbol, -1});
        m_engine.setVariable(symbol, v.integer + 1, v.integer + 1.0);
        queueOwner(object);
      } else if (o.BSInputRB == 1) {
        openInputFor(object);
      }
      break;
    }
    case ElementKind::Panel:
    case ElementKind::Gauge:
      if (m_display[static_cast<std::size_t>(object)].element == ElementKind::Gauge && o.OutpRB == 2) break;
      if (o.BSInputRB != 2) inputStatement(o.OName, symbol);
      break;
    case ElementKind::Button: {
      if (o.Beep) m_ui.beep();
      if (m_options.visualisation) {
        if (m_exchange) m_exchange->trigger(object);
        break;
      }
      m_engine.objects()[static_cast<std::size_t>(object)].switched = true;
      const int ct = static_cast<std::size_t>(object) < objects.size() ? objects[static_cast<std::size_t>(object)].ctSymbol : -1;
      if (ct >= 0 && static_cast<std::size_t>(ct) < m_engine.symbols().size())
        if (auto* t = std::get_if<TVarTime>(&m_engine.symbols()[static_cast<std::size_t>(ct)].value)) t->Value = m_clock.now();
      m_engine.enqueue(object);
      break;
    }
    case ElementKind::None: break;
  }
}

void RunSession::dragSlider(int object, double value) {
  if (object < 0 || static_cast<std::size_t>(object) >= m_project.objects.size()) return;
  const auto& objects = m_engine.compiled().objects;
  if (static_cast<std::size_t>(object) >= objects.size()) return;
  m_engine.setVariable(objects[static_cast<std::size_t>(object)].stateSymbol, static_cast<std::int32_t>(std::lround(value)), value);
  queueOwner(object);
}

// actionClick -> an "A&ktion" item: like a click on the element, or the object queued
void RunSession::actionClick(std::size_t item) {
  if (item >= m_actions.size()) return;
  const int object = m_actions[item].second;
  if (m_display[static_cast<std::size_t>(object)].shown) click(object);
  else if (m_options.visualisation && m_exchange) m_exchange->trigger(object);
  else m_engine.enqueue(object);
}

// inputStatement -> EINGABE and clicks on number and text panels open the input dialog
void RunSession::inputStatement(std::string_view prompt, int symbol) {
  auto& symbols = m_engine.symbols();
  if (symbol < 0 || static_cast<std::size_t>(symbol) >= symbols.size()) {
    showError(m_ui, "Falsche Parameter bei Anweisung >Eingabe<");
    return;
  }
  InputRequest r;
  r.prompt = std::string(prompt.substr(0, 100));
  r.symbol = symbol;
  r.owner = m_engine.owner(symbol);
  const VariableDescriptor& d = symbols[static_cast<std::size_t>(symbol)].value;
  if (const auto* s = std::get_if<TVarStr>(&d)) {
    r.mode = InputMode::Text;
    r.value = s->Value;
  } else if (const auto* v = std::get_if<TVarInt>(&d)) {
    r.mode = InputMode::Integer;
    r.value = std::to_string(v->Value);
  } else if (const auto* v = std::get_if<TVarReal>(&d)) {
    r.mode = InputMode::Real;
    r.value = realText(v->Value, v->Decimals);
  } else {
    return;
  }
  m_input = std::move(r);
}

// postInput -> applies the dialog's value and queues the owner
void RunSession::postInput(std::string_view value) {
  if (!m_input) return;
  const InputRequest r = *m_input;
  m_input.reset();
  auto& symbols = m_engine.symbols();
  const bool validSymbol = r.symbol >= 0 && static_cast<std::size_t>(r.symbol) < symbols.size();
  switch (r.mode) {
    case InputMode::Text:
      if (!validSymbol) return;
      if (auto* s = std::get_if<TVarStr>(&symbols[static_cast<std::size_t>(r.symbol)].value)) {
        value = value.substr(0, kMaxTextLength);
        if (s->Value != value) {
          s->Value = std::string(value);
          m_engine.markChanged(r.owner);
        }
      }
      break;
    case InputMode::Integer:
    case InputMode::Real: {
      // Blanks may group the digits. "nan", "inf", a number beyond the range of a double and,
      // for a whole number, one beyond the range of an int are unreadable, and an unreadable
      // number changes nothing.
      std::string t(value);
      t.erase(std::remove(t.begin(), t.end(), ' '), t.end());
      const std::optional<double> v = parseReal(t);
      if (!v || (r.mode == InputMode::Integer && !(*v > -2147483649.0 && *v < 2147483648.0))) return;
      m_engine.setVariable(r.symbol, static_cast<std::int32_t>(std::clamp(*v, -2147483648.0, 2147483647.0)), *v);
      break;
    }
    case InputMode::State: {
      const auto it = std::find(r.choices.begin(), r.choices.end(), std::string(value));
      if (it == r.choices.end()) return;
      const auto k = static_cast<std::int32_t>(it - r.choices.begin());
      m_engine.setVariable(r.symbol, k, k);
      break;
    }
    case InputMode::View:
      if (findView(m_project, value) >= 0) showView(value, true);
      return;
  }
  queueOwner(r.owner);
}

void RunSession::objectStarted(int object) {
  if (m_debugger) m_debugger->objectStarted(object);
}

bool RunSession::beforeStatement(int object, int codePosition) {
  return m_debugger ? m_debugger->beforeStatement(object, codePosition) : true;
}

void RunSession::showStatusMessage(std::string_view text) {
  m_statusText = std::string(text);
  m_statusShown = true;
  m_statusTime = m_clock.now();
}

std::string RunSession::protocolOutputLine(DateTime when, std::string_view object, std::string_view data) {
  return dateTimeText(when) + ": Ausgabe von " + std::string(object) + " -> " + std::string(data.substr(0, 64));
}

std::string RunSession::protocolInputLine(DateTime when, std::string_view object, std::string_view value) {
  return dateTimeText(when) + ": Eingabe f\xFCr " + std::string(object) + " <- " + std::string(value);
}

void RunSession::protocolOutput(int object, std::string_view data) {
  if (!m_protocol.is_open() || object < 0 || static_cast<std::size_t>(object) >= m_project.objects.size()) return;
  m_protocol << protocolOutputLine(m_clock.now(), m_project.objects[static_cast<std::size_t>(object)].Name, data) << "\r\n";
  m_protocol.flush();
}

void RunSession::protocolInput(int object, std::string_view value) {
  if (!m_protocol.is_open() || object < 0 || static_cast<std::size_t>(object) >= m_project.objects.size()) return;
  m_protocol << protocolInputLine(m_clock.now(), m_project.objects[static_cast<std::size_t>(object)].Name, value) << "\r\n";
  m_protocol.flush();
}

}  // namespace kelvaro
