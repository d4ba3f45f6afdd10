// The window "Modem-Verbindung" wired to its core: a simulated Hayes modem in front of a
// simulated unit on COM2, in virtual time. What the modem exchange does is
// modem_connection_test's; here the controls reach it and what it shows reaches the controls.
#include "modem/remote_window.h"
#include "control_unit.h"
#include "gui_test_support.h"
#include "modem.h"
#include "pages/control_unit_page.h"
#include "qt_user_interface.h"
#include "storage/project_file.h"
#include "support/project_builder.h"
#include "time/clock.h"

using kelvaro::test::child;
using kelvaro::test::itemTexts;

namespace {

struct Remote : kelvaro::test::GuiWorkspace {
  kelvaro::ManualClock clock{46000.5};
  kelvaro::sim::ControlUnit unit;
  kelvaro::sim::Modem modem{unit};
  QPointer<kelvaro::gui::TRemoteF> window;
  QStringList panels;  // the panel's colour and text each time the timers came during a wait
  std::uint64_t nextTickMs = 0;

  Remote() {
    workspace.settings().REMOTETELNR = "0301234";
    workspace.settings().REMOTEINIT = "AT&F E0 S0=1";
    workspace.settings().REMOTEPORT = 1;
    unit.programName = "GARTEN";
    unit.configuration[65] = 4;  // the remote password "ABCD"
    std::copy_n("ABCD", 4, unit.configuration.begin() + 66);
    // The pump is the event loop: time moves on, and the window's timers come every 100 ms.
    auto line = std::make_unique<kelvaro::gui::UnitLine>(
        clock,
        [this](const kelvaro::PortTarget& t) -> std::unique_ptr<kelvaro::SerialPort> {
          if (t.device != "COM2") return nullptr;
          return std::make_unique<kelvaro::InProcessSerialPort>(modem, clock);
        },
        [this] { pump(); }, ui, nullptr);
    line->line.resolve = [](std::string_view name) { return kelvaro::PortTarget{false, std::string(name)}; };
    window = new kelvaro::gui::TRemoteF(context, std::move(line), nullptr);
    window->show();
  }
  ~Remote() { delete window; }
  void pump() {
    clock.advanceMs(1);
    if (clock.monotonicMs() < nextTickMs || window == nullptr) return;
    nextTickMs = clock.monotonicMs() + kelvaro::kModemTimerMs;
    window->timer1Timer();
    window->timer2Timer();
    window->receiveTick();
    const QString p = panel();
    if (panels.isEmpty() || panels.back() != p) panels << p;
  }
  void run(std::uint64_t ms) {
    const std::uint64_t end = clock.monotonicMs() + ms;
    while (clock.monotonicMs() < end) pump();
  }
  QString panel() const {
    auto* p = child<QLabel>(window, "ConPnl");
    if (p->isHidden()) return QStringLiteral("hidden");
    const QString style = p->styleSheet();
    const QString colour = style.contains("#ffff00")   ? "yellow"
                           : style.contains("#00ff00") ? "green"
                           : style.contains("#00ffff") ? "aqua"
                                                       : style;
    return colour + QLatin1Char(' ') + p->text();
  }
  QPushButton* button(const char* name) const { return child<QPushButton>(window, name); }
};

// For a look at the windows (README's screenshots): KELVARO_SCREENSHOT_DIR=/some/dir on a real
// display with a window manager, so that the frame is in the picture.
void shoot(QWidget* window, const char* file) {
  const QString dir = qEnvironmentVariable("KELVARO_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  QVERIFY(QTest::qWaitForWindowExposed(window));
  QTest::qWait(1500);
  const QRect frame = window->frameGeometry();
  window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).save(dir + '/' + file);
}

}  // namespace

class RemoteWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // Dial, password, answers in the list, "Nein" on closing keeps the window, "Ja" closes it and
  // saves the settings part (what closing asks and does on the line is modem_connection_test's).
  void dialPasswordAndClose() {
    Remote f;
    QVERIFY(child<QWidget>(f.window, "SettingsPnl")->isHidden());
    f.button("CfgBtn")->click();
    QVERIFY(!child<QWidget>(f.window, "SettingsPnl")->isHidden());
    QCOMPARE(child<QLineEdit>(f.window, "TelNrEdt")->text(), QStringLiteral("0301234"));
    child<QLineEdit>(f.window, "TelNrEdt")->setText("0407777");

    f.button("ConnectBtn")->click();
    QCOMPARE(f.modem.dialled, std::string("0407777"));
    QCOMPARE(f.panels.first(), QStringLiteral("yellow Verbindungsaufbau"));
    QCOMPARE(f.panel(), QStringLiteral("green Verbindung"));
    QVERIFY(itemTexts(child<QListWidget>(f.window, "InputBox")).join('|').contains("CONNECT"));
    QVERIFY(f.workspace.remoteMode);
    shoot(f.window, "remote_window.png");

    // The unit asks for its password through the receive timer; then the project request.
    f.ui.inputs = {std::string("abcd")};
    f.run(3000);
    QCOMPARE(f.ui.inputPrompts.size(), std::size_t{1});
    QVERIFY(f.window->frames().requestRemoteVisualisation());
    f.run(2500);
    QCOMPARE(f.ui.messageTexts().back(), std::string("Die Projektdatei GARTEN.SPG wurde nicht gefunden."));
    // With the unit's project beside the open one, that project is loaded and visualised on
    // the window's link, not on a line of the page.
    QTemporaryDir dir;
    kelvaro::Project garden;
    garden.objects = {kelvaro::test::lampObject("Teich")};
    QVERIFY(kelvaro::writeProject(garden, dir.filePath("GARTEN.SPG").toStdString(), "", f.ui));
    f.workspace.fileName = dir.filePath("HAUS.SPG").toStdString();
    QStringList visualised;
    f.context.visualise = [&] {
      const std::shared_ptr<kelvaro::StationLink> link = f.context.openRunLine();
      visualised << QString::fromStdString(f.workspace.project.objects.at(0).Name)
                 << QString::number(link != nullptr && &link->unit() == &f.window->protocol().unit);
    };
    QVERIFY(f.window->frames().requestRemoteVisualisation());
    f.run(2500);
    QCOMPARE(visualised, (QStringList{"Teich", "1"}));
    QVERIFY(!f.context.openRunLine);  // the page's own again

    f.ui.answers = {kelvaro::MessageAnswer::No};
    QVERIFY(!f.window->close());
    QVERIFY(f.window != nullptr && f.window->isVisible());
    f.ui.answers = {kelvaro::MessageAnswer::Yes};
    QVERIFY(f.window->close());
    QCOMPARE(f.workspace.settings().REMOTETELNR, std::string("0407777"));
    QVERIFY(!f.workspace.remoteMode);
  }

  // The page's "&Remote-Kontrolle" (on a unit that has it) opens the window on the page's line,
  // which the page's own commands cannot take meanwhile.
  void pageButtonOpensWindow() {
    kelvaro::test::GuiWorkspace w;
    auto main = std::make_unique<QWidget>();  // the main window, which holds page and window
    auto* page = new kelvaro::gui::ControlUnitPage(w.context, main.get());
    page->refresh();  // the built-in unit, a CU-A2-3.20, which has a modem
    QVERIFY(child<QPushButton>(page, "RemoteVisBtn")->isEnabled());
    child<QPushButton>(page, "RemoteBtn")->click();
    QPointer<kelvaro::gui::TRemoteF> window = kelvaro::gui::openedRemoteWindow();
    QVERIFY(window != nullptr);
    QVERIFY(window->isVisible());
    QVERIFY(!w.context.openUnitLine(w.ui));  // held by the window
    // Without a link the visualisation request says so.
    child<QPushButton>(page, "RemoteVisBtn")->click();
    QCOMPARE(w.ui.messageTexts().back(), std::string("Es besteht keine Modem-Verbindung zur Steuereinheit."));
    QVERIFY(window->close());
    QTRY_VERIFY(window == nullptr);
    QVERIFY(w.context.openUnitLine(w.ui) != nullptr);  // given back
    // The program ends with the window open: it goes before the page whose line it holds.
    child<QPushButton>(page, "RemoteBtn")->click();
    window = kelvaro::gui::openedRemoteWindow();
    QVERIFY(window != nullptr);
    main.reset();
    QVERIFY(window == nullptr);
  }

  // "Kennworteingabe": stars, six upper-case characters.
  void passwordDialog() {
    kelvaro::gui::QtUserInterface ui;
    QString title;
    QString shown;
    QLineEdit::EchoMode echo = QLineEdit::Normal;
    kelvaro::test::onModal<QInputDialog>([&](QInputDialog* dialog) {
      title = dialog->windowTitle();
      auto* field = child<QLineEdit>(dialog, "PasswEdt");
      QTest::keyClicks(field, "geheim77");
      shown = field->text();
      shoot(dialog, "password_dialog.png");
      echo = field->echoMode();
      dialog->accept();
    });
    const std::optional<std::string> typed = ui.passwordBox(kelvaro::kPasswordCaption, "Kennwort :");
    QCOMPARE(title, QStringLiteral("Kennworteingabe"));
    QCOMPARE(shown, QStringLiteral("GEHEIM"));
    QCOMPARE(echo, QLineEdit::Password);
    QCOMPARE(QString::fromStdString(typed.value_or("(cancelled)")), QStringLiteral("GEHEIM"));
  }
};

QTEST_MAIN(RemoteWindowTest)
#include "remote_window_test.moc"
