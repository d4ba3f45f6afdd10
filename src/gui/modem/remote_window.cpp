// The window "Modem-Verbindung": its controls bound to ModemConnection and ModemFrames.
#include "modem/remote_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>

#include "app/project_commands.h"
#include "qt_text.h"
#include "screen_fit.h"
#include "stations/dialog_support.h"
#include "text/cp1252.h"

namespace kelvaro::gui {

namespace {

QPointer<TRemoteF> g_window;

QString panelStyle(ModemPanelColor color) {
  switch (color) {
    case ModemPanelColor::Green: return QStringLiteral("background: #00ff00; color: black;");
    case ModemPanelColor::Aqua: return QStringLiteral("background: #00ffff; color: black;");
    case ModemPanelColor::Yellow: break;
  }
  return QStringLiteral("background: #ffff00; color: black;");
}

}  // namespace

TRemoteF::TRemoteF(MainContext& context, std::unique_ptr<UnitLine> line, QWidget* parent)
    : QDialog(parent),
      m_context(context),
      m_line(std::move(line)),
      m_connection(m_line->protocol, context.ui),
      m_frames(m_line->protocol, context.ui),
      m_runLink(m_line->protocol) {
  setObjectName(QStringLiteral("TRemoteF"));
  setWindowTitle(QStringLiteral("Modem-Verbindung"));
  setAttribute(Qt::WA_DeleteOnClose);

  m_inputBox = new QListWidget(this);
  m_inputBox->setObjectName(QStringLiteral("InputBox"));
  m_inputBox->setMinimumSize(360, 160);
  m_conPnl = new QLabel(this);
  m_conPnl->setObjectName(QStringLiteral("ConPnl"));
  m_conPnl->setAlignment(Qt::AlignCenter);
  m_conPnl->setFrameShape(QFrame::Panel);
  m_conPnl->setMinimumHeight(28);

  auto addButton = [this](const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    return button;
  };
  m_connectBtn = addButton("ConnectBtn", QString());
  m_waitBtn = addButton("WaitForConnectBtn", QString());
  m_sendBtn = addButton("SendBtn", QStringLiteral("Anweisung &Senden"));
  QPushButton* delBtn = addButton("DelBtn", QStringLiteral("löschen"));
  QPushButton* cfgBtn = addButton("CfgBtn", QStringLiteral("&Einstellungen"));
  QPushButton* closeBtn = addButton("CloseBtn", QStringLiteral("S&chließen"));

  // The settings part, shown by "&Einstellungen".
  m_settingsPart = new QWidget(this);
  m_settingsPart->setObjectName(QStringLiteral("SettingsPnl"));
  auto* settings = new QGridLayout(m_settingsPart);
  settings->setContentsMargins(0, 0, 0, 0);
  m_telNr = new QLineEdit(m_settingsPart);
  m_telNr->setObjectName(QStringLiteral("TelNrEdt"));
  m_modemInit = new QLineEdit(m_settingsPart);
  m_modemInit->setObjectName(QStringLiteral("ModemInitEdt"));
  m_comPort = new QComboBox(m_settingsPart);
  m_comPort->setObjectName(QStringLiteral("ComPortCB"));
  for (const char* port : {"COM1", "COM2", "COM3", "COM4"}) m_comPort->addItem(QString::fromLatin1(port));
  m_comPortLabel = new QLabel(QStringLiteral("COM-Port"), m_settingsPart);
  m_comPortLabel->setObjectName(QStringLiteral("ComPortLb"));
  m_comPortLabel->installEventFilter(this);
  // The free command for the modem; it goes with the settings, as only a user who tunes the
  // modem needs it.
  m_remoteAnw = new QLineEdit(m_settingsPart);
  m_remoteAnw->setObjectName(QStringLiteral("RemoteAnwEdt"));
  settings->addWidget(new QLabel(QStringLiteral("Telefonnummer"), m_settingsPart), 0, 0);
  settings->addWidget(m_telNr, 0, 1);
  settings->addWidget(new QLabel(QStringLiteral("Modem-Initialisierung"), m_settingsPart), 1, 0);
  settings->addWidget(m_modemInit, 1, 1);
  settings->addWidget(m_comPortLabel, 2, 0);
  settings->addWidget(m_comPort, 2, 1);
  settings->addWidget(new QLabel(QStringLiteral("Anweisung"), m_settingsPart), 3, 0);
  settings->addWidget(m_remoteAnw, 3, 1);

  auto* buttons = new QVBoxLayout;
  for (QPushButton* button : {m_connectBtn, m_waitBtn, m_sendBtn, delBtn, cfgBtn}) buttons->addWidget(button);
  buttons->addStretch();
  buttons->addWidget(closeBtn);
  auto* messages = new QVBoxLayout;
  messages->addWidget(new QLabel(QStringLiteral("Meldungen"), this));
  messages->addWidget(m_inputBox, 1);
  messages->addWidget(m_conPnl);
  auto* top = new QHBoxLayout;
  top->addLayout(messages, 1);
  top->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(m_settingsPart);

  auto fieldsThen = [this](void (ModemConnection::*click)()) {
    return [this, click] {
      readFields();
      (m_connection.*click)();
      showState();
    };
  };
  connect(m_connectBtn, &QPushButton::clicked, this, fieldsThen(&ModemConnection::ConnectBtnClick));
  connect(m_waitBtn, &QPushButton::clicked, this, fieldsThen(&ModemConnection::WaitForConnectBtnClick));
  connect(m_sendBtn, &QPushButton::clicked, this, fieldsThen(&ModemConnection::SendBtnClick));
  connect(delBtn, &QPushButton::clicked, this, fieldsThen(&ModemConnection::DelBtnClick));
  connect(cfgBtn, &QPushButton::clicked, this, fieldsThen(&ModemConnection::CfgBtnClick));
  connect(closeBtn, &QPushButton::clicked, this, &QWidget::close);

  auto timer = [this](void (TRemoteF::*tick)()) {
    auto* t = new QTimer(this);
    t->setInterval(kModemTimerMs);
    connect(t, &QTimer::timeout, this, tick);
    t->start();
    return t;
  };
  m_timer1 = timer(&TRemoteF::timer1Timer);
  m_timer2 = timer(&TRemoteF::timer2Timer);
  m_receiveTimer = new QTimer(this);
  m_receiveTimer->setInterval(kModemTimerMs);
  connect(m_receiveTimer, &QTimer::timeout, this, &TRemoteF::receiveTick);
  m_receiveTimer->start();

  m_connection.restoreWindow = [this] {
    if (isMinimized()) showNormal();
    raise();
  };
  m_frames.remoteProject = [this](const std::string& name) { visualiseRemoteProject(name); };

  m_connection.FormShow(m_context.workspace.settings());
  m_telNr->setText(toQ(m_connection.TelNrEdt));
  m_modemInit->setText(toQ(m_connection.ModemInitEdt));
  m_comPort->setCurrentIndex(std::max(0, m_comPort->findText(toQ(m_connection.ComPortCB))));
  addHelpKey(this, context, QStringLiteral("ModemVerbindung"));
  showState();
  keepOnScreen(this);
}

TRemoteF::~TRemoteF() {
  // The line goes back to the page closed; the workspace no longer counts as remote.
  m_context.workspace.remoteMode = false;
}

void TRemoteF::readFields() {
  m_connection.TelNrEdt = fromQ(m_telNr->text());
  m_connection.ModemInitEdt = fromQ(m_modemInit->text());
  m_connection.ComPortCB = fromQ(m_comPort->currentText());
  m_connection.RemoteAnwEdt = fromQ(m_remoteAnw->text());
}

void TRemoteF::showState() {
  const ModemConnection& c = m_connection;
  m_connectBtn->setText(toQ(c.ConnectBtn));
  m_waitBtn->setText(toQ(c.WaitForConnectBtn));
  m_waitBtn->setVisible(c.WaitForConnectBtnVisible);
  m_sendBtn->setEnabled(c.SendBtnEnabled);
  m_settingsPart->setVisible(c.settingsShown);
  m_conPnl->setVisible(c.ConPnlVisible);
  m_conPnl->setText(toQ(c.ConPnl));
  m_conPnl->setStyleSheet(panelStyle(c.ConPnlColor));
  // The list is filled anew only when it changed: the timers come ten times a second.
  const int lines = static_cast<int>(c.InputBox.size());
  bool same = m_inputBox->count() == lines;
  for (int i = lines - 1; same && i >= 0 && i >= lines - 2; --i)
    same = m_inputBox->item(i)->text() == toQ(c.InputBox[static_cast<std::size_t>(i)]);
  if (!same) {
    m_inputBox->clear();
    for (const std::string& line : c.InputBox) m_inputBox->addItem(toQ(line));
    m_inputBox->scrollToBottom();
  }
  m_context.workspace.remoteMode = m_line->line.ModemLinkUp;
}

void TRemoteF::timer1Timer() {
  m_connection.timer1Tick();
  showState();
}

void TRemoteF::timer2Timer() {
  m_connection.timer2Tick();
  showState();
}

void TRemoteF::receiveTick() {
  // A visualisation through the link reads the frames itself.
  if (m_visualising || !m_line->line.ModemLinkUp) return;
  m_line->protocol.receiveTimerRunning = true;
  m_line->protocol.receiveTick();
  m_frames.handleSlot();
  showState();
}

void TRemoteF::visualiseRemoteProject(const std::string& name) {
  Workspace& ws = m_context.workspace;
  ws.settings().projectNameLabel = name;
  const std::string file = directoryOf(ws.fileName) + toUtf8(name) + ".SPG";
  // A unit whose project is not on this PC cannot be shown; the open project stays.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    showError(m_context.ui, fromUtf8("Die Projektdatei ") + name + ".SPG" + fromUtf8(" wurde nicht gefunden."));
    return;
  }
  if (!mayDropProject(ws.project, m_context.ui)) return;
  loadProjectFile(ws, m_context.ui, file);
  if (m_context.projectChanged) m_context.projectChanged();
  if (!m_context.visualise) return;

  // The run talks to the unit through this window's link instead of opening the page's port;
  // the unit was identified before the link came up.
  const auto checkUnit = m_context.checkUnit;
  const auto openRunLine = m_context.openRunLine;
  m_context.checkUnit = nullptr;
  m_context.openRunLine = [this] { return std::shared_ptr<StationLink>(std::shared_ptr<void>(), &m_runLink); };
  m_visualising = true;
  m_context.visualise();
  m_visualising = false;
  m_context.checkUnit = checkUnit;
  m_context.openRunLine = openRunLine;
}

bool TRemoteF::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_comPortLabel && event->type() == QEvent::MouseButtonDblClick) {
    readFields();
    m_connection.ComPortLbDblClick();
    showState();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TRemoteF::closeEvent(QCloseEvent* event) {
  readFields();
  if (!m_connection.FormClose(m_context.workspace.settings())) {
    event->ignore();
    return;
  }
  m_timer1->stop();
  m_timer2->stop();
  m_receiveTimer->stop();
  showState();
  event->accept();
}

TRemoteF* openRemoteWindow(MainContext& context, QWidget* parent) {
  if (g_window != nullptr) {
    g_window->showNormal();
    g_window->raise();
    g_window->activateWindow();
    return g_window;
  }
  if (!context.openUnitLine) return nullptr;
  std::unique_ptr<UnitLine> line = context.openUnitLine(context.ui);
  if (!line) return nullptr;
  g_window = new TRemoteF(context, std::move(line), parent);
  g_window->show();
  return g_window;
}

TRemoteF* openedRemoteWindow() { return g_window; }

void requestRemoteVisualisation(MainContext& context) {
  if (g_window != nullptr && g_window->frames().requestRemoteVisualisation()) return;
  context.ui.showMessage({MessageKind::Information, fromUtf8("Es besteht keine Modem-Verbindung zur Steuereinheit."),
                          MessageButtons::Ok, 0});
}

}  // namespace kelvaro::gui
