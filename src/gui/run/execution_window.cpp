// The execution window: menus, timers, the view with its elements, and the dialogs it opens.
#include "run/execution_window.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "elements/ps_elements.h"
#include "qt_text.h"
#include "run/debug_dialog.h"
#include "run/input_dialog.h"
#include "run/message_list_window.h"
#include "run/run_colors.h"
#include "screen_fit.h"
#include "runtime/hardware_exchange.h"
#include "runtime/run_window_support.h"

namespace kelvaro::gui {

// The view: the background bitmap at the top-left corner on the project's background colour.
class RunCanvas : public QWidget {
 public:
  explicit RunCanvas(QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("RunCanvas")); }
  const QPixmap* background = nullptr;
  std::function<void(QPoint globalPos)> contextMenu;

 protected:
  void paintEvent(QPaintEvent*) override {
    if (background == nullptr || background->isNull()) return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, *background);
  }
  void contextMenuEvent(QContextMenuEvent* event) override {
    if (contextMenu) contextMenu(event->globalPos());
  }
};

namespace {

// The input dialog's answer, posted to the window so that it is applied between timer ticks.
const QEvent::Type kInputAnswered = static_cast<QEvent::Type>(QEvent::registerEventType());

class InputAnsweredEvent : public QEvent {
 public:
  explicit InputAnsweredEvent(QString value) : QEvent(kInputAnswered), value(std::move(value)) {}
  QString value;
};

// A program that runs long lets the window look at its input this often.
constexpr qint64 kInputPollMs = 40;

bool sameRequest(const InputRequest& a, const InputRequest& b) {
  return a.mode == b.mode && a.prompt == b.prompt && a.symbol == b.symbol && a.owner == b.owner && a.value == b.value &&
         a.choices == b.choices;
}

QAction* namedAction(const QString& text, const char* name, QObject* parent) {
  auto* action = new QAction(text, parent);
  action->setObjectName(QLatin1String(name));
  return action;
}

}  // namespace

TIntRunF::TIntRunF(Project& project, CompileOutput& compiled, const Clock& clock, UserInterface& ui,
                   ExecutionWindowOptions options, QWidget* parent)
    : QDialog(parent), m_project(project), m_clock(clock), m_ui(ui), m_options(std::move(options)) {
  setObjectName(QStringLiteral("TIntRunF"));
  setWindowTitle(QStringLiteral("Ausführung"));
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  setWindowFlag(Qt::WindowMinimizeButtonHint);

  RunSessionOptions sessionOptions;
  sessionOptions.visualisation = m_options.visualisation;
  sessionOptions.hardwareControl = m_options.hardwareControl;
  sessionOptions.writeProtocol = m_options.writeProtocol;
  sessionOptions.protocolPath = m_options.protocolPath;
  sessionOptions.bitmapDirectory = m_options.bitmapDirectory;
  sessionOptions.projectFile = m_options.projectFile;
  sessionOptions.engine = m_options.engine;
  sessionOptions.link = m_options.link;
  sessionOptions.telephone = m_options.telephone;
  sessionOptions.engine.visualisation = m_options.visualisation;
  m_session = std::make_unique<RunSession>(project, compiled, clock, ui, std::move(sessionOptions));
  m_dirty.assign(project.objects.size(), 0);
  m_session->onRefresh = [this](int object) {
    if (object < 0 || static_cast<std::size_t>(object) >= m_dirty.size() || m_dirty[static_cast<std::size_t>(object)])
      return;
    m_dirty[static_cast<std::size_t>(object)] = 1;
    m_dirtyList.push_back(object);
  };
  m_session->onProcessInput = [this] { processPendingInput(); };

  buildMenus();
  buildClient();
  m_input = new TEingabeF(this);
  connect(m_input, &TEingabeF::answered, this,
          [this](const QString& value) { QCoreApplication::postEvent(this, new InputAnsweredEvent(value)); });
  connect(m_input, &TEingabeF::cancelled, this, [this] {
    m_session->cancelInput();
    m_inputShown.reset();
  });

  const struct {
    RunTimer timer;
    int intervalMs;
    void (TIntRunF::*tick)();
  } timers[kRunTimers] = {{RunTimer::autoStart, 100, &TIntRunF::Timer1Timer},
                          {RunTimer::visualisationCycle, 10, &TIntRunF::Timer2Timer},
                          {RunTimer::executionClock, 10, &TIntRunF::Timer3Timer},
                          {RunTimer::radioSupervision, 1000, &TIntRunF::Timer4Timer}};
  for (const auto& t : timers) {
    QTimer*& timer = m_timers[static_cast<int>(t.timer)];
    timer = new QTimer(this);
    timer->setInterval(t.intervalMs);
    connect(timer, &QTimer::timeout, this, t.tick);
  }

  initialiseRun();
  // After the first view is built: without a stored place the window takes the view's size.
  placeWindow();
  keepOnScreen(this);
  m_inputPoll.start();
  setTimer(RunTimer::autoStart, true);
  setTimer(RunTimer::radioSupervision, true);
}

TIntRunF::~TIntRunF() {
  for (QTimer* timer : m_timers) timer->stop();
  // The session goes first: its callbacks point into this window.
  m_session->setDebugger(nullptr);
  m_session->onRefresh = nullptr;
  m_session->onProcessInput = nullptr;
}

void TIntRunF::buildMenus() {
  m_menuBar = new QMenuBar(this);
  m_menuBar->setObjectName(QStringLiteral("MainMenu1"));
  m_start2 = namedAction(QStringLiteral("&Start"), "Start2", this);
  m_stop2 = namedAction(QStringLiteral("Sto&p"), "Stop2", this);
  m_ende1 = namedAction(QStringLiteral("&Ende"), "Ende1", this);
  m_abbruch1 = namedAction(QStringLiteral("A&bbruch"), "Abbruch1", this);
  m_ansicht = namedAction(QStringLiteral("&Ansicht"), "Ansicht", this);
  m_meldungslisten = namedAction(QStringLiteral("Meldungslisten"), "Meldungslisten", this);
  m_aktion = new QMenu(QStringLiteral("A&ktion"), this);
  m_aktion->setObjectName(QStringLiteral("Aktion"));
  m_menuBar->addAction(m_start2);
  m_menuBar->addAction(m_stop2);
  m_menuBar->addAction(m_ende1);
  m_menuBar->addAction(m_abbruch1);
  m_menuBar->addAction(m_ansicht);
  m_menuBar->addMenu(m_aktion);
  m_menuBar->addAction(m_meldungslisten);
  connect(m_start2, &QAction::triggered, this, &TIntRunF::Start2Click);
  connect(m_stop2, &QAction::triggered, this, &TIntRunF::Stop2Click);
  connect(m_ende1, &QAction::triggered, this, &TIntRunF::Ende1Click);
  connect(m_abbruch1, &QAction::triggered, this, &TIntRunF::Abbruch1Click);
  connect(m_ansicht, &QAction::triggered, this, &TIntRunF::AnsichtClick);
  connect(m_meldungslisten, &QAction::triggered, this, &TIntRunF::MeldungslistenClick);
  // The message lists concern the PC's own exchange with the radio devices.
  m_meldungslisten->setVisible(!m_options.visualisation);

  m_popup = new QMenu(this);
  m_popup->setObjectName(QStringLiteral("PopupMWin"));
  m_start1 = namedAction(QStringLiteral("Start"), "Start1", this);
  m_stop1 = namedAction(QStringLiteral("Stop"), "Stop1", this);
  m_einzelschritt1 = namedAction(QStringLiteral("Einzelschritt"), "Einzelschritt1", this);
  m_einzelschritt1->setEnabled(false);
  m_popup->addAction(m_start1);
  m_popup->addAction(m_stop1);
  m_popup->addAction(m_einzelschritt1);
  connect(m_start1, &QAction::triggered, this, &TIntRunF::Start2Click);
  connect(m_stop1, &QAction::triggered, this, &TIntRunF::Stop2Click);
  connect(m_einzelschritt1, &QAction::triggered, this, &TIntRunF::Einzelschritt1Click);
}

void TIntRunF::buildClient() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(m_menuBar);
  m_scroll = new QScrollArea(this);
  m_scroll->setFrameShape(QFrame::NoFrame);
  m_scroll->setWidgetResizable(true);
  m_canvas = new RunCanvas(m_scroll);
  m_canvas->background = &m_background;
  const QColor back = colourOfIndex(m_project.BackColor);
  if (back.isValid()) {
    QPalette palette = m_canvas->palette();
    palette.setColor(QPalette::Window, back);
    m_canvas->setPalette(palette);
    m_canvas->setAutoFillBackground(true);
  }
  m_canvas->contextMenu = [this](QPoint at) {
    // The small menu serves the debugger; without it a right click does nothing.
    if (m_debugger) m_popup->exec(at);
  };
  m_scroll->setWidget(m_canvas);
  layout->addWidget(m_scroll, 1);

  m_memo1 = new QPlainTextEdit(this);
  m_memo1->setObjectName(QStringLiteral("Memo1"));
  m_memo1->setReadOnly(true);
  m_memo1->setMaximumHeight(80);
  m_memo1->viewport()->installEventFilter(this);
  m_memo1->hide();
  layout->addWidget(m_memo1);

  m_msgPanel = new QLabel(this);
  m_msgPanel->setObjectName(QStringLiteral("MsgPanel"));
  m_msgPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  m_msgPanel->setAutoFillBackground(true);
  m_msgPanel->hide();

  m_objNamPnl = new QLabel(m_canvas);
  m_objNamPnl->setObjectName(QStringLiteral("ObjNamPnl"));
  m_objNamPnl->setFrameStyle(QFrame::Panel | QFrame::Raised);
  m_objNamPnl->setAutoFillBackground(true);
  m_objNamPnl->installEventFilter(this);
  m_objNamPnl->hide();
}

// placeWindow -> the stored state, else the stored position, else the system's choice
void TIntRunF::placeWindow() {
  const WindowPlacement p = executionWindowPlacement(m_project);
  if (p.usePosition) {
    move(p.position.left, p.position.top);
    resize(std::max(p.position.width, 100), std::max(p.position.height, 80));
  } else {
    // The whole view below the menu bar, so that no scroll bar cuts the plan; keepOnScreen
    // shrinks it again where the screen is smaller.
    const QSize view = m_canvas->minimumSize();
    resize(std::max(view.width(), 600), std::max(view.height(), 400) + m_menuBar->sizeHint().height());
  }
  if (p.state == kWindowMaximized) setWindowState(Qt::WindowMaximized);
  else if (p.state == kWindowMinimized) setWindowState(Qt::WindowMinimized);
}

void TIntRunF::storePlacement() {
  std::uint8_t state = kWindowNormal;
  if (isMaximized()) state = kWindowMaximized;
  else if (isMinimized()) state = kWindowMinimized;
  const QRect frame = frameGeometry();
  storeExecutionWindowPlacement(m_project, {frame.left(), frame.top(), width(), height()}, state);
}

// initialiseRun -> start-of-run settings, the action items, the first view; Start disabled
void TIntRunF::initialiseRun() {
  attachTypeBitmaps(m_project);
  m_session->initialise();
  for (std::size_t k = 0; k < m_session->actionItems().size(); ++k) {
    QAction* item = m_aktion->addAction(toQ(m_session->actionItems()[k].first));
    connect(item, &QAction::triggered, this, [this, k] {
      m_session->actionClick(k);
      afterAction();
    });
  }
  m_aktion->menuAction()->setEnabled(!m_session->actionItems().empty());
  if (m_options.trace && !m_options.visualisation) {
    m_debugDialog = new TDebugF(this);
    m_debugDialog->showHelp = m_options.showHelp;
    m_debugger = std::make_unique<Debugger>(m_session->engine(), m_ui, *m_debugDialog, m_options.traceList);
    m_session->setDebugger(m_debugger.get());
    m_einzelschritt1->setEnabled(true);
  }
  m_start2->setEnabled(false);
  m_start1->setEnabled(false);
  m_stop2->setEnabled(false);
  m_stop1->setEnabled(false);
  rebuildElements();
  syncCaption();
}

void TIntRunF::setTimer(RunTimer timer, bool on) {
  const int i = static_cast<int>(timer);
  m_timerOn[i] = on;
  if (!m_options.autoTimers) return;
  if (on) m_timers[i]->start();
  else m_timers[i]->stop();
}

bool TIntRunF::timerOn(RunTimer timer) const { return m_timerOn[static_cast<int>(timer)]; }

// The automatic start, once
void TIntRunF::Timer1Timer() {
  setTimer(RunTimer::autoStart, false);
  if (m_closed || m_startBusy) return;
  m_startBusy = true;
  startRun();
  m_startBusy = false;
  afterAction();
}

// startRun -> reset, menu states, caption, then the run timer unless aborted
void TIntRunF::startRun() {
  m_session->start();
  m_abbruch1->setEnabled(true);
  m_ende1->setEnabled(true);
  m_start2->setEnabled(false);
  m_start1->setEnabled(false);
  m_stop2->setEnabled(!m_options.visualisation);
  m_stop1->setEnabled(!m_options.visualisation);
  if (!m_session->engine().abortFlag)
    setTimer(m_options.visualisation ? RunTimer::visualisationCycle : RunTimer::executionClock, true);
}

// Timer2 -> one cycle of the visualisation
void TIntRunF::Timer2Timer() {
  if (m_cycleBusy || m_closed) return;
  if (m_session->closing()) {
    closeRun();
    return;
  }
  m_cycleBusy = true;
  m_session->cycleTimer();
  m_cycleBusy = false;
  afterAction();
}

// Timer3 -> one clock pass of the PC execution
void TIntRunF::Timer3Timer() {
  if (m_clockBusy || m_closed) return;
  if (m_session->closing()) {
    closeRun();
    return;
  }
  m_clockBusy = true;
  m_session->clockTimer();
  m_clockBusy = false;
  afterAction();
}

// Timer4 -> radio timeout supervision
void TIntRunF::Timer4Timer() {
  if (m_supervisionBusy || m_closed) return;
  m_supervisionBusy = true;
  m_session->supervisionTimer();
  m_supervisionBusy = false;
  syncCaption();
}

void TIntRunF::Start2Click() {
  if (m_closed) return;
  startRun();
  afterAction();
}

void TIntRunF::Stop2Click() {
  if (m_closed) return;
  m_session->stop();
  m_stop2->setEnabled(false);
  m_stop1->setEnabled(false);
  m_abbruch1->setEnabled(false);
  m_ende1->setEnabled(false);
  m_start2->setEnabled(true);
  m_start1->setEnabled(true);
  setTimer(RunTimer::executionClock, false);
  syncCaption();
}

void TIntRunF::Ende1Click() { m_session->end(); }

void TIntRunF::Abbruch1Click() {
  m_session->abort();
  closeRun();
}

void TIntRunF::AnsichtClick() {
  if (m_project.views.empty()) return;
  storePlacement();
  m_session->openViewChoice();
  syncInputDialog();
}

void TIntRunF::MeldungslistenClick() {
  setWindowTitle(toQ(m_session->viewName() + " [Ausf\xFChrung aktiv]"));
  if (!m_msgList)
    m_msgList = new TMsgListF(
        *m_session, [this] { return m_clock.now(); }, this);
  m_msgList->showFirstList();
  m_msgList->show();
  m_msgList->raise();
}

void TIntRunF::Einzelschritt1Click() {
  if (m_debugger) m_debugger->singleStep();
}

// closeRun -> timers off, the window's place stored, the window closes
void TIntRunF::closeRun() {
  if (m_closed) return;
  m_closed = true;
  for (int t = 0; t < kRunTimers; ++t) setTimer(static_cast<RunTimer>(t), false);
  // A program that still runs (the window closed from its input poll) ends at its next statement.
  if (!m_session->closing()) m_session->abort();
  storePlacement();
  m_input->hide();
  if (m_msgList) m_msgList->hide();
  QDialog::done(QDialog::Accepted);
}

void TIntRunF::done(int result) {
  if (m_closed) {
    QDialog::done(result);
    return;
  }
  closeRun();
}

std::optional<EditorRequest> TIntRunF::editorRequest() const {
  const Engine& engine = m_session->engine();
  if (engine.errorCode == 0 || engine.errorObject < 0 ||
      static_cast<std::size_t>(engine.errorObject) >= m_project.objects.size())
    return std::nullopt;
  EditorRequest request;
  request.object = engine.errorObject;
  request.errorCode = engine.errorCode;
  request.errorPosition = engine.errorPosition;
  request.page = EditorPage::Program;
  const CompileOutput& compiled = engine.compiled();
  if (static_cast<std::size_t>(engine.errorObject) < compiled.objects.size()) {
    const ObjectCode& oc = compiled.objects[static_cast<std::size_t>(engine.errorObject)];
    for (std::size_t k = oc.lineMapFirst; k < oc.lineMapEnd && k < compiled.lineMap.size(); ++k)
      request.lineMap.push_back(compiled.lineMap[k]);
  }
  return request;
}

// afterAction -> what a tick or a command changed reaches the screen
void TIntRunF::afterAction() {
  if (!inTick()) {
    std::vector<QString> inputs;
    inputs.swap(m_deferredInputs);
    for (const QString& value : inputs) applyInput(value);
  }
  refreshElements();
  syncStatus();
  syncCaption();
  syncInputDialog();
}

bool TIntRunF::event(QEvent* event) {
  if (event->type() == kInputAnswered) {
    const QString value = static_cast<InputAnsweredEvent*>(event)->value;
    // Never inside a running program: a tick that lets input through takes it afterwards.
    if (inTick()) m_deferredInputs.push_back(value);
    else applyInput(value);
    return true;
  }
  return QDialog::event(event);
}

void TIntRunF::applyInput(const QString& value) {
  if (m_closed) return;
  const bool view = m_session->input() && m_session->input()->mode == InputMode::View;
  m_inputShown.reset();
  m_session->postInput(fromQ(value));
  if (view) {
    rebuildElements();
    syncCaption();
  }
  refreshElements();
  syncInputDialog();
}

void TIntRunF::processPendingInput() {
  if (m_inputPoll.elapsed() < kInputPollMs) return;
  m_inputPoll.restart();
  refreshElements();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TIntRunF::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    if (m_options.showHelp) m_options.showHelp(QStringLiteral("Ausfuehrung"));
    return;
  }
  // Escape must not end a run by accident.
  if (event->key() == Qt::Key_Escape) return;
  QDialog::keyPressEvent(event);
}

bool TIntRunF::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_memo1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    m_memo1->clear();
    return true;
  }
  if (watched == m_objNamPnl && event->type() == QEvent::MouseButtonPress) {
    hideNamePanel();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TIntRunF::syncStatus() {
  if (m_session->statusShown()) {
    m_msgPanel->setText(toQ(m_session->statusText()));
    m_msgPanel->setGeometry(0, m_menuBar->height(), std::max(width() - 30, 50), m_msgPanel->sizeHint().height());
    m_msgPanel->show();
    m_msgPanel->raise();
  } else if (m_msgPanel->isVisible()) {
    m_msgPanel->hide();
  }
}

void TIntRunF::syncCaption() {
  const std::string caption = m_session->caption();
  if (caption == m_lastCaption) return;
  m_lastCaption = caption;
  setWindowTitle(toQ(caption));
}

QPoint TIntRunF::inputPosition(const InputRequest& request) const {
  if (request.mode != InputMode::View && request.owner >= 0 &&
      static_cast<std::size_t>(request.owner) < m_elements.size()) {
    const Element& e = m_elements[static_cast<std::size_t>(request.owner)];
    if (e.widget) {
      // A state list opens below its element so that the element stays in sight.
      const int below = request.mode == InputMode::State ? e.widget->height() : 0;
      return e.widget->mapToGlobal(QPoint(0, below));
    }
  }
  if (request.mode == InputMode::View) return m_scroll->mapToGlobal(QPoint(0, 0));
  return mapToGlobal(QPoint(0, 0));
}

void TIntRunF::syncInputDialog() {
  const auto& request = m_session->input();
  if (!request) {
    if (m_input->isVisible()) m_input->hide();
    m_inputShown.reset();
    return;
  }
  if (m_inputShown && sameRequest(*m_inputShown, *request) && m_input->isVisible()) return;
  m_inputShown = *request;
  m_input->open(*request, inputPosition(*request));
}

// Views and elements --------------------------------------------------------------------

void TIntRunF::loadBackground() {
  m_background = QPixmap();
  if (m_session->backgroundShown()) {
    const std::string file = viewBitmapFile(m_project, m_session->viewName(), m_options.bitmapDirectory, m_options.projectFile);
    m_background = pixmap(toQ(file));
  }
  m_canvas->setMinimumSize(m_background.isNull() ? QSize(0, 0) : m_background.size());
  m_canvas->update();
}

// rebuildElements -> the elements of the objects placed on the view now shown
void TIntRunF::rebuildElements() {
  hideNamePanel();
  for (Element& e : m_elements) {
    for (QWidget* w : {static_cast<QWidget*>(e.image), static_cast<QWidget*>(e.panel), static_cast<QWidget*>(e.gauge),
                       static_cast<QWidget*>(e.button), static_cast<QWidget*>(e.textPanel), e.mark}) {
      if (!w) continue;
      w->hide();
      // Later: the click that chose the view may still be on the stack of one of them.
      w->deleteLater();
    }
  }
  m_elements.assign(m_project.objects.size(), Element{});
  loadBackground();
  QSize extent = m_canvas->minimumSize();
  for (std::size_t i = 0; i < m_project.objects.size(); ++i) {
    if (!m_session->display(static_cast<int>(i)).shown) continue;
    createElement(static_cast<int>(i));
    updateElement(static_cast<int>(i));
    const ObjectDisplay& d = m_session->display(static_cast<int>(i));
    const ObjectRunState& run = m_session->engine().objects()[i];
    extent = extent.expandedTo(QSize(run.left + d.width, run.top + d.height));
  }
  m_canvas->setMinimumSize(extent);
}

void TIntRunF::createElement(int object) {
  const TPSObj& o = m_project.objects[static_cast<std::size_t>(object)];
  const ObjectDisplay& d = m_session->display(object);
  const ElementSetup setup = elementSetup(o, d.element);
  Element& e = m_elements[static_cast<std::size_t>(object)];
  e.kind = d.element;
  const ObjectRunState& run = m_session->engine().objects()[static_cast<std::size_t>(object)];
  const QRect rect(run.left, run.top, d.width, d.height);
  const QString label = toQ(setup.label);
  auto makePanel = [&] {
    auto* panel = new TPSPanel(m_canvas);
    panel->Name = o.Name;
    panel->setGeometry(rect);
    panel->setLabelText(label);
    panel->setCharsPerRow(setup.charsPerRow);
    panel->setRows(setup.rows);
    panel->setAutoFont(setup.autoFont);
    connect(panel, &TPSPanel::clicked, this, [this, object] {
      hideNamePanel();
      elementClicked(object);
    });
    connect(panel, &TPSPanel::rightPressed, this, [this, object] { showNamePanel(object); });
    connect(panel, &TPSPanel::rightReleased, this, &TIntRunF::hideNamePanel);
    return panel;
  };
  switch (d.element) {
    case ElementKind::Bitmap: {
      e.image = new TPSImage(m_canvas);
      e.image->Name = o.Name;
      e.image->setStretch(setup.stretch);
      e.image->setToolTip(label);
      e.image->setGeometry(rect);
      connect(e.image, &TPSImage::clicked, this, [this, object] { elementClicked(object); });
      connect(e.image, &TPSImage::rightPressed, this, [this, object] { showNamePanel(object); });
      connect(e.image, &TPSImage::rightReleased, this, &TIntRunF::hideNamePanel);
      e.textPanel = makePanel();
      e.textPanel->hide();
      e.widget = e.image;
      break;
    }
    case ElementKind::Panel:
      e.panel = makePanel();
      e.widget = e.panel;
      break;
    case ElementKind::Gauge: {
      auto* gauge = new TPSGauge(m_canvas);
      gauge->Name = o.Name;
      gauge->setGeometry(rect);
      gauge->setHeader(label);
      gauge->setMinValue(setup.minValue);
      gauge->setMaxValue(setup.maxValue);
      gauge->setKind(setup.valueKind);
      gauge->setDirection(setup.direction);
      gauge->setBkColor(colourOfIndex(gaugeColour(o, run)));
      gauge->setAutoFont(setup.autoFont);
      const auto& objects = m_session->engine().compiled().objects;
      gauge->setSymbol(static_cast<std::size_t>(object) < objects.size()
                           ? objects[static_cast<std::size_t>(object)].stateSymbol
                           : -1);
      if (setup.slider) gauge->setSliderMode();
      gauge->layoutGauge();
      connect(gauge, &TPSGauge::clicked, this, [this, object] { elementClicked(object); });
      connect(gauge, &TPSGauge::sliderReleased, this, [this, object](int value, int) {
        m_session->dragSlider(object, value);
        afterAction();
      });
      connect(gauge, &TPSGauge::rightPressed, this, [this, object] { showNamePanel(object); });
      connect(gauge, &TPSGauge::rightReleased, this, &TIntRunF::hideNamePanel);
      e.gauge = gauge;
      e.widget = gauge;
      break;
    }
    case ElementKind::Button: {
      auto* button = new TPSButton(label, m_canvas);
      button->Name = o.Name;
      button->setGeometry(rect);
      connect(button, &QPushButton::clicked, this, [this, object] { elementClicked(object); });
      e.button = button;
      e.widget = button;
      break;
    }
    case ElementKind::None: break;
  }
  if (e.widget) e.widget->setVisible(d.visible);
}

const QPixmap& TIntRunF::pixmap(const QString& file) {
  auto it = m_pixmaps.find(file);
  if (it == m_pixmaps.end()) it = m_pixmaps.insert(file, QPixmap(file));
  return it.value();
}

// updateElement -> the element follows what the session's display refresh decided
void TIntRunF::updateElement(int object) {
  if (object < 0 || static_cast<std::size_t>(object) >= m_elements.size()) return;
  Element& e = m_elements[static_cast<std::size_t>(object)];
  if (!e.widget) return;
  const TPSObj& o = m_project.objects[static_cast<std::size_t>(object)];
  const ObjectDisplay& d = m_session->display(object);
  const ObjectRunState& run = m_session->engine().objects()[static_cast<std::size_t>(object)];
  const QRect rect(run.left, run.top, d.width, d.height);
  switch (e.kind) {
    case ElementKind::Bitmap: {
      e.image->setGeometry(rect);
      e.textPanel->setGeometry(rect);
      switch (bitmapShow(o, d, m_session->backgroundShown())) {
        case BitmapShow::Hidden:
          e.image->hide();
          e.textPanel->hide();
          break;
        case BitmapShow::Picture: {
          const QString file = toQ(d.bitmap);
          if (file != e.bitmapFile) {
            const QPixmap& picture = pixmap(file);
            if (picture.isNull()) {
              // A file that cannot be read is as good as missing.
              e.image->hide();
              e.textPanel->hide();
              break;
            }
            e.image->setBitmap(picture);
            e.bitmapFile = file;
          }
          e.textPanel->hide();
          e.image->show();
          break;
        }
        case BitmapShow::StateName:
          e.textPanel->setValueText(toQ(d.text));
          e.image->hide();
          e.textPanel->show();
          break;
        case BitmapShow::Unchanged: break;
      }
      break;
    }
    case ElementKind::Gauge:
      e.gauge->setGeometry(rect);
      e.gauge->setBkColor(colourOfIndex(gaugeColour(o, run)));
      e.gauge->setValue(static_cast<int>(std::lround(d.gaugeValue)));
      e.gauge->setVisible(d.visible);
      break;
    case ElementKind::Panel:
      e.panel->setGeometry(rect);
      e.panel->setValueText(toQ(d.text));
      e.panel->setVisible(d.visible);
      break;
    case ElementKind::Button:
      e.button->setGeometry(rect);
      e.button->setVisible(d.visible);
      break;
    case ElementKind::None: break;
  }
  updateMark(e, d, rect);
}

// A room controller's mark report stays on screen for the rest of the run as a red corner at
// the element's top right, above the picture, so that the element itself still takes clicks.
void TIntRunF::updateMark(Element& e, const ObjectDisplay& d, const QRect& rect) {
  if (d.marker != kThermostatMarker) {
    if (e.mark) e.mark->hide();
    return;
  }
  constexpr int kSize = 10;
  if (!e.mark) {
    e.mark = new QWidget(m_canvas);
    e.mark->setObjectName("marker");
    e.mark->setAutoFillBackground(true);
    QPalette palette = e.mark->palette();
    palette.setColor(QPalette::Window, Qt::red);
    e.mark->setPalette(palette);
    e.mark->setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  e.mark->setGeometry(rect.right() - kSize + 1, rect.top(), kSize, kSize);
  const auto shown = [this](const QWidget* w) { return w && w->isVisibleTo(m_canvas); };
  e.mark->setVisible(shown(e.widget) || shown(e.textPanel));
  e.mark->raise();
}

void TIntRunF::refreshElements() {
  std::vector<int> list;
  list.swap(m_dirtyList);
  for (int object : list) {
    m_dirty[static_cast<std::size_t>(object)] = 0;
    updateElement(object);
  }
}

void TIntRunF::elementClicked(int object) {
  if (m_closed) return;
  m_session->click(object);
  afterAction();
}

void TIntRunF::showNamePanel(int object) {
  if (object < 0 || static_cast<std::size_t>(object) >= m_elements.size()) return;
  const Element& e = m_elements[static_cast<std::size_t>(object)];
  if (!e.widget) return;
  m_objNamPnl->setText(toQ(namePanelText(m_project.objects[static_cast<std::size_t>(object)])));
  m_objNamPnl->adjustSize();
  m_objNamPnl->move(e.widget->geometry().topLeft());
  m_objNamPnl->show();
  m_objNamPnl->raise();
}

void TIntRunF::hideNamePanel() {
  if (m_objNamPnl) m_objNamPnl->hide();
}

// Element look-ups for the tests -------------------------------------------------------

QWidget* TIntRunF::element(int object) const {
  return object >= 0 && static_cast<std::size_t>(object) < m_elements.size()
             ? m_elements[static_cast<std::size_t>(object)].widget
             : nullptr;
}

TPSImage* TIntRunF::imageElement(int object) const {
  return object >= 0 && static_cast<std::size_t>(object) < m_elements.size()
             ? m_elements[static_cast<std::size_t>(object)].image
             : nullptr;
}

TPSPanel* TIntRunF::panelElement(int object) const {
  return object >= 0 && static_cast<std::size_t>(object) < m_elements.size()
             ? m_elements[static_cast<std::size_t>(object)].panel
             : nullptr;
}

TPSGauge* TIntRunF::gaugeElement(int object) const {
  return object >= 0 && static_cast<std::size_t>(object) < m_elements.size()
             ? m_elements[static_cast<std::size_t>(object)].gauge
             : nullptr;
}

TPSButton* TIntRunF::buttonElement(int object) const {
  return object >= 0 && static_cast<std::size_t>(object) < m_elements.size()
             ? m_elements[static_cast<std::size_t>(object)].button
             : nullptr;
}

TPSPanel* TIntRunF::textPanel(int object) const {
  return object >= 0 && static_cast<std::size_t>(object) < m_elements.size()
             ? m_elements[static_cast<std::size_t>(object)].textPanel
             : nullptr;
}

QAction* TIntRunF::menuAction(const QString& objectName) const {
  for (QAction* a :
       {m_start2, m_stop2, m_ende1, m_abbruch1, m_ansicht, m_meldungslisten, m_start1, m_stop1, m_einzelschritt1})
    if (a->objectName() == objectName) return a;
  return nullptr;
}

}  // namespace kelvaro::gui
