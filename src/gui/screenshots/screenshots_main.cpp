// kelvaro-screenshots: takes the pictures of the README from the real windows with a project
// loaded. Run under a display server (scripts/screenshots.sh starts Xvfb for it):
//   kelvaro-screenshots PROJECT OUTPUT_DIR
// Message boxes are answered at once and written to stderr, so nothing waits for a user.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QMouseEvent>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <string>

#include "app_start.h"
#include "assistants/action_form.h"
#include "assistants/clock_input.h"
#include "assistants/condition_form.h"
#include "assistants/switching_times_form.h"
#include "assistants/time_input_form.h"
#include "app/shutter_assistant.h"
#include "app/sun_settings.h"
#include "assistants/shutter_assistant_window.h"
#include "astro/sun_times.h"
#include "language/compiler.h"
#include "main_window.h"
#include "object_editor/obj_def_form.h"
#include "qt_text.h"
#include "run/execution_window.h"
#include "run/input_dialog.h"
#include "time/clock.h"
#include "time/date_time.h"
#include "elements/ext_shape.h"
#include "layout/layout_window.h"
#include "where_used_window.h"

namespace kelvaro::gui {
namespace {

class UnattendedUserInterface : public UserInterface {
 public:
  MessageAnswer showMessage(const Message& message) override {
    std::fprintf(stderr, "message: %s\n", toUtf8(message.text).c_str());
    return message.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
  }
  std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view) override {
    return std::nullopt;
  }
  std::optional<std::string> openFileName(std::string_view, std::string_view, std::string_view) override {
    return std::nullopt;
  }
  std::optional<std::string> saveFileName(std::string_view, std::string_view, std::string_view) override {
    return std::nullopt;
  }
};

// Lets the window lay itself out and paint before it is grabbed.
void settle(int milliseconds = 300) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

bool save(QWidget& widget, const QDir& dir, const QString& name) {
  settle();
  const QString path = dir.filePath(name + QStringLiteral(".png"));
  const bool saved = widget.grab().save(path);
  std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "FAILED", path.toLocal8Bit().constData());
  return saved;
}

// What the screen shows in the window's frame, pop-ups included, which a widget's grab leaves out.
bool saveScreenArea(QWidget& window, const QDir& dir, const QString& name) {
  settle();
  const QString path = dir.filePath(name + QStringLiteral(".png"));
  const QRect area = window.frameGeometry();
  const bool saved =
      window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(path);
  std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "FAILED", path.toLocal8Bit().constData());
  return saved;
}

// "E/A-Module" -> "e_a_module", "Einstellungen" -> "einstellungen".
QString fileNameOf(QString caption) {
  caption = caption.toLower();
  caption.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('-'), QLatin1Char('_'));
  return caption;
}

// The layout editor on the first view with two shapes marked by Ctrl-clicks.
bool layoutScreenshot(MainContext& context, const QDir& dir, QWidget* parent) {
  if (context.workspace.project.views.empty()) return false;
  TLayoutF layout(context, 0, parent);
  layout.show();
  const auto& shapes = layout.shapeWidgets();
  for (std::size_t i = 0; i < shapes.size() && i < 3; i += 2) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), shapes[i]->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                      Qt::LeftButton, Qt::ControlModifier);
    QCoreApplication::sendEvent(shapes[i], &press);
  }
  const bool saved = save(layout, dir, QStringLiteral("layout_editor"));
  layout.reject();
  return saved;
}

// The object editor on an object of the demo, one picture per page.
bool editorScreenshots(MainContext& context, const QDir& dir, QWidget* parent) {
  EditorRequest request;
  request.object = findObject(context.workspace.project, "Aussenlicht");
  if (request.object < 0) return false;
  TObjDefF editor(context, request, ObjectEditorHooks{}, parent);
  editor.show();
  auto* notebook = editor.findChild<QTabWidget*>();
  if (notebook == nullptr) return false;
  bool allSaved = true;
  for (int i = 0; i < notebook->count(); ++i) {
    notebook->setCurrentIndex(i);
    allSaved = save(editor, dir, QStringLiteral("editor_") + fileNameOf(notebook->tabText(i))) && allSaved;
  }
  editor.reject();
  return allSaved;
}

// The assistants' windows, filled as a user would have filled them: switching times for the
// outside light, its time window, the terrace button's actions and a condition around them.
bool assistantScreenshots(MainContext& context, const QDir& dir, QWidget* parent) {
  const Project& project = context.workspace.project;
  const int light = findObject(project, "Aussenlicht");
  if (light < 0 || findObject(project, "TasterTerrasse") < 0) return false;
  bool allSaved = true;
  {
    TSTimesF times(project, context.ui, "Aussenlicht", SwitchTimesKind::Switchable,
                   project.objects[static_cast<std::size_t>(light)].program, parent);
    std::array<bool, 7> workdays{false, true, true, true, true, true, false};
    times.assistant().addSwitchTime(true, *timeWindowResult(TimeWindowKind::SwitchOn, "SU:  :  ", "", workdays),
                                    context.ui);
    times.assistant().addSwitchTime(false, *timeWindowResult(TimeWindowKind::SwitchOff, "23:30:00", "", {}),
                                    context.ui);
    times.assistant().addAutomaticSwitchOff("00:10:00", context.ui);
    times.assistant().list().clickLine(4);
    times.refreshLists();
    times.show();
    allSaved = save(times, dir, QStringLiteral("assistant_switching_times")) && allSaved;
  }
  {
    TTimeInpF time(context.ui, TimeWindowKind::SwitchOn, parent);
    time.findChild<TClockInp*>(QStringLiteral("TimeOn"))->setClockText(QStringLiteral("07:30:00"));
    auto* days = time.findChild<QListWidget*>(QStringLiteral("TageCLB"));
    days->item(0)->setCheckState(Qt::Checked);
    days->item(4)->setCheckState(Qt::Checked);
    time.show();
    allSaved = save(time, dir, QStringLiteral("assistant_time_input")) && allSaved;
  }
  {
    TAppFormF actions(project, context.ui, "TasterTerrasse", " EINGESCHALTET ", {},
                      QStringLiteral("Wenn TasterTerrasse eingeschaltet wird"), "Gartenlicht", parent);
    actions.show();
    // As the user would: the targets, an action, into "dann"; then the other way into "sonst".
    auto* targets = actions.findChild<QListWidget*>(QStringLiteral("ObjBoxLB"));
    for (const QString& name : {QStringLiteral("Aussenlicht"), QStringLiteral("Gartenlicht")})
      for (QListWidgetItem* item : targets->findItems(name, Qt::MatchExactly)) item->setSelected(true);
    const auto actionButtons = actions.findChild<QGroupBox*>(QStringLiteral("SwitchRB"))->findChildren<QRadioButton*>();
    actionButtons.at(1)->click();
    actions.findChild<QPushButton*>(QStringLiteral("CrtAnwBtn1"))->click();
    actionButtons.at(2)->click();
    actions.findChild<QPushButton*>(QStringLiteral("CrtAnwBtn2"))->click();
    allSaved = save(actions, dir, QStringLiteral("assistant_actions")) && allSaved;
  }
  {
    TCondiF condition(project, context.ui, {"**--/A2/--**Block mit 2 Anweisungen", "Gartenlicht EINSCHALTEN",
                                            "Aussenlicht EINSCHALTEN"}, parent);
    condition.assistant().wrap(conditionLine("Uhrzeit", " groesser ", "18:00:00"), context.ui);
    auto* subjects = condition.findChild<QComboBox*>(QStringLiteral("ObjCB"));
    subjects->setCurrentText(QStringLiteral("Uhrzeit"));
    condition.findChild<TClockInp*>(QStringLiteral("ZeitInp"))->setClockText(QStringLiteral("18:00:00"));
    condition.findChild<QComboBox*>(QStringLiteral("VerglOp"))->setCurrentIndex(4);
    condition.refreshLists();
    condition.show();
    allSaved = save(condition, dir, QStringLiteral("assistant_condition")) && allSaved;
  }
  return allSaved;
}

// The shutter assistant's three pages on a demo group of three shutters with a time block.
// It changes the project in memory, so it comes after the other pictures.
bool shutterScreenshots(MainContext& context, const QDir& dir, QWidget* parent) {
  {
    ShutterAssistant setup(context.workspace.project);
    for (const char* name : {"RolloKueche", "RolloBad", "RolloFlur"}) setup.createShutter(context.ui, name);
    if (!setup.createGroup(context.ui, "RolloSued")) return false;
    setup.addAllMembers();
    const std::array<bool, 7> workdays{false, true, true, true, true, true, false};
    if (!setup.enterActions(context.ui) ||
        !setup.addTimes(context.ui, *timeWindowResult(TimeWindowKind::Shutter, "07:30:00", "SU:  :  ", workdays)) ||
        !setup.finish(context.ui))
      return false;
  }
  TRollAssiF window(context, parent);
  window.show();
  auto* shutters = window.findChild<QListWidget*>(QStringLiteral("RollLB"));
  shutters->setCurrentRow(shutters->count() - 1);
  bool allSaved = save(window, dir, QStringLiteral("shutter_assistant_1"));
  window.nextPage();
  auto* groups = window.findChild<QComboBox*>(QStringLiteral("RollGruppeCB"));
  groups->setCurrentIndex(groups->findText(QStringLiteral("RolloSued")));
  Q_EMIT groups->activated(groups->currentIndex());
  allSaved = save(window, dir, QStringLiteral("shutter_assistant_2")) && allSaved;
  window.nextPage();
  auto* statements = window.findChild<QListWidget*>(QStringLiteral("AnwLB"));
  Q_EMIT statements->itemClicked(statements->item(3));
  allSaved = save(window, dir, QStringLiteral("shutter_assistant_3")) && allSaved;
  window.reject();
  return allSaved;
}

// The demo running on the PC on a summer evening in virtual time, then its input dialog.
bool executionScreenshots(Workspace& workspace, UserInterface& ui, const QDir& dir) {
  Project project = workspace.project;
  CompileOutput compiled = compile(project, project.constants, CompileMode::Run);
  if (compiled.result.code != 0) return false;
  ManualClock clock(*encodeDate(2026, 6, 15) + *encodeTime(21, 55, 0));
  ExecutionWindowOptions options;
  options.autoTimers = false;
  options.bitmapDirectory = workspace.settings().DIRBMP;
  options.projectFile = workspace.fileName;
  options.engine.sun = sunSettingsFrom(workspace.settings());
  TIntRunF window(project, compiled, clock, ui, options);
  window.show();
  window.Timer1Timer();
  for (int i = 0; i < 200; ++i) {
    window.Timer3Timer();
    clock.advanceMs(10);
  }
  bool allSaved = save(window, dir, QStringLiteral("execution_window"));
  window.session().openInputFor(findObject(project, "Besucher"));
  window.Timer3Timer();
  if (window.inputDialog() == nullptr || !window.inputDialog()->isVisible()) return false;
  allSaved = save(*window.inputDialog(), dir, QStringLiteral("input_dialog")) && allSaved;
  window.Abbruch1Click();
  return allSaved;
}

// The page "Steuereinheit" with its port list open, then the file dialog "Öffnen" shows.
bool portListAndFileDialogScreenshots(TProDefsF& window, const QDir& dir, const QString& projectDirectory) {
  QTabWidget* notebook = window.notebook();
  for (int i = 0; i < notebook->count(); ++i)
    if (notebook->tabText(i) == QStringLiteral("Steuereinheit")) notebook->setCurrentIndex(i);
  auto* ports = window.findChild<QComboBox*>(QStringLiteral("ComPortCoB"));
  if (ports == nullptr) return false;
  ports->showPopup();
  bool allSaved = saveScreenArea(window, dir, QStringLiteral("port_list"));
  ports->hidePopup();
  QFileDialog dialog(&window, QStringLiteral("Öffnen"), projectDirectory, QStringLiteral("Projekte (*.spg *.SPG)"));
  dialog.show();
  allSaved = save(dialog, dir, QStringLiteral("file_dialog")) && allSaved;
  dialog.reject();
  return allSaved;
}

int takeScreenshots(const std::string& project, const QDir& dir) {
  Workspace workspace;
  UnattendedUserInterface ui;
  TProDefsF window(workspace, ui);
  startWorkspace(workspace, ui, {project});
  // A project named on the command line starts running at once; the pictures want the
  // window that comes before.
  workspace.settings().autostartPending = false;
  window.refreshPages();
  window.show();
  bool allSaved = true;
  QTabWidget* notebook = window.notebook();
  for (int i = 0; i < notebook->count(); ++i) {
    notebook->setCurrentIndex(i);
    allSaved = save(window, dir, QStringLiteral("main_") + fileNameOf(notebook->tabText(i))) && allSaved;
  }
  const QString projectDirectory = QFileInfo(QString::fromLocal8Bit(project.c_str())).absolutePath();
  allSaved = portListAndFileDialogScreenshots(window, dir, projectDirectory) && allSaved;
  allSaved = editorScreenshots(window.context(), dir, &window) && allSaved;
  {
    TRelObjF uses(window.context(), "Aussenlicht", &window);
    uses.show();
    allSaved = save(uses, dir, QStringLiteral("where_used")) && allSaved;
  }
  allSaved = layoutScreenshot(window.context(), dir, &window) && allSaved;
  allSaved = assistantScreenshots(window.context(), dir, &window) && allSaved;
  allSaved = executionScreenshots(workspace, ui, dir) && allSaved;
  allSaved = shutterScreenshots(window.context(), dir, &window) && allSaved;
  return allSaved ? 0 : 1;
}

}  // namespace
}  // namespace kelvaro::gui

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  kelvaro::gui::useGermanTexts();
  if (argc != 3) {
    std::fprintf(stderr, "usage: kelvaro-screenshots PROJECT OUTPUT_DIR\n");
    return 2;
  }
  QDir dir(QString::fromLocal8Bit(argv[2]));
  if (!dir.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "cannot create %s\n", argv[2]);
    return 1;
  }
  return kelvaro::gui::takeScreenshots(argv[1], dir);
}
