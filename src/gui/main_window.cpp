// The main window: builds the pages, the menus and the tool bar, connects the hooks the pages
// share, runs the 100 ms timer and asks about unsaved changes on closing.
#include "main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QPainter>
#include <QShortcut>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <exception>
#include <functional>

#include "app/closing.h"
#include "app/project_commands.h"
#include "app/recent_projects.h"
#include "app/startup.h"
#include "app/version.h"
#include "assistants/shutter_assistant_window.h"
#include "double_click_label.h"
#include "help_window.h"
#include "layout/layout_window.h"
#include "object_editor_dialog.h"
#include "pages/control_unit_page.h"
#include "pages/objects_page.h"
#include "pages/settings_page.h"
#include "pages/stations_page.h"
#include "pages/types_page.h"
#include "pages/views_page.h"
#include "print/print_dialog.h"
#include "qt_text.h"
#include "run/execution_start.h"
#include "screen_fit.h"

namespace kelvaro::gui {

namespace {

constexpr int kMainTimerMs = 100;
// How long the status line keeps a confirmation such as "Projekt gespeichert: HAUS.SPG".
constexpr int kConfirmationMs = 5000;

// No standard picture says "font": a large "A" does, and its disabled form is greyed like
// every other icon of the tool bar.
QIcon letterIcon(const QString& letter, const QColor& colour) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(28);
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(pixmap.rect(), Qt::AlignCenter, letter);
  painter.end();
  return QIcon(pixmap);
}

// The style greys a disabled icon only slightly, and a dark one still looks usable; a command
// that cannot be used fades to a third, so the tool bar tells it at a glance.
QIcon withFadedDisabled(const QIcon& icon) {
  QIcon result;
  for (const int size : {16, 24, 32}) {
    const QPixmap normal = icon.pixmap(size, size);
    if (normal.isNull()) continue;
    QPixmap faded(normal.size());
    faded.setDevicePixelRatio(normal.devicePixelRatio());
    faded.fill(Qt::transparent);
    QPainter painter(&faded);
    painter.setOpacity(0.3);
    painter.drawPixmap(0, 0, normal);
    painter.end();
    result.addPixmap(normal, QIcon::Normal);
    result.addPixmap(faded, QIcon::Disabled);
  }
  return result;
}

}  // namespace

TProDefsF::TProDefsF(Workspace& workspace, UserInterface& ui, QWidget* parent)
    : QMainWindow(parent), m_context(workspace, ui) {
  setWindowTitle(toQ(workspace.app.caption));
  resize(800, 560);
  keepOnScreen(this);

  m_mainTimer = new QTimer(this);
  m_mainTimer->setInterval(kMainTimerMs);
  connect(m_mainTimer, &QTimer::timeout, this, &TProDefsF::mainTimerTick);

  m_context.projectChanged = [this] { refreshPages(); };
  m_context.showHelp = [this](const QString& topic) { showHelpTopic(topic, this); };
  m_context.setMainTimer = [this](bool running) {
    if (running)
      m_mainTimer->start();
    else
      m_mainTimer->stop();
  };
  m_context.editObject = [this](const EditorRequest& request) {
    m_context.setMainTimer(false);
    const bool accepted = runObjectEditor(m_context, request, this);
    m_context.setMainTimer(true);
    return accepted;
  };
  installExecutionWindow(m_context, this);
  installLayoutEditor(m_context, this);

  buildActions();
  buildMenus();
  buildToolBar();
  buildPages();
  buildHelpButton();
  // The status line shows short confirmations; the window's edge resizes it, not a grip.
  statusBar()->setSizeGripEnabled(false);
  // The project the start-up read counts as opened.
  if (!workspace.fileName.empty()) rememberProject(workspace, workspace.fileName);
  refreshPages();
  refreshRecentProjects();
  m_mainTimer->start();
}

QAction* TProDefsF::action(const QString& objectName, const QString& text, int standardIcon) {
  auto* a = new QAction(text, this);
  a->setObjectName(objectName);
  if (standardIcon >= 0)
    a->setIcon(withFadedDisabled(style()->standardIcon(static_cast<QStyle::StandardPixmap>(standardIcon))));
  return a;
}

void TProDefsF::buildActions() {
  m_newAction = action(QStringLiteral("NeuAct"), QStringLiteral("&Neu"), QStyle::SP_FileIcon);
  m_openAction = action(QStringLiteral("OeffnenAct"), QStringLiteral("Ö&ffnen"), QStyle::SP_DialogOpenButton);
  m_addAction = action(QStringLiteral("ZufuegenAct"), QStringLiteral("&Zufügen"), QStyle::SP_FileDialogNewFolder);
  m_saveAction = action(QStringLiteral("SpeichernAct"), QStringLiteral("&Speichern"), QStyle::SP_DialogSaveButton);
  m_saveAsAction = action(QStringLiteral("SpeichernUnterAct"), QStringLiteral("Speichern &unter"), -1);
  m_pcAction = action(QStringLiteral("PcAct"), QStringLiteral("&Ausführung auf PC"), QStyle::SP_MediaPlay);
  m_visualiseAction = action(QStringLiteral("VisuAct"), QStringLiteral("&Visualisierung"), QStyle::SP_ComputerIcon);
  m_printAction = action(QStringLiteral("DruckenAct"), QStringLiteral("&Drucken"), QStyle::SP_FileDialogDetailedView);
  m_printerSetupAction = action(QStringLiteral("DruckerAct"), QStringLiteral("Drucker&einstellung"), -1);
  m_printFontAction = action(QStringLiteral("DruckSchriftAct"), QStringLiteral("Druckschrift"), -1);
  m_printFontAction->setIcon(withFadedDisabled(letterIcon(QStringLiteral("A"), palette().color(QPalette::WindowText))));
  m_exitAction = action(QStringLiteral("BeendenAct"), QStringLiteral("&Beenden"), QStyle::SP_DialogCloseButton);
  // The style's help button is a red and white life buoy that reads as an alarm; a question
  // mark says help.
  m_helpAction = action(QStringLiteral("HilfeAct"), QStringLiteral("Hilfe"), QStyle::SP_MessageBoxQuestion);
  m_shutterAction = action(QStringLiteral("RolladenAct"), QStringLiteral("Rollladen-Assistent"), QStyle::SP_ArrowDown);
  m_contentsAction = action(QStringLiteral("InhaltAct"), QStringLiteral("&Inhalt"), -1);
  m_infoAction = action(QStringLiteral("InfoAct"), QStringLiteral("Inf&o"), -1);

  connect(m_newAction, &QAction::triggered, this, &TProDefsF::newCommand);
  connect(m_openAction, &QAction::triggered, this, &TProDefsF::openCommand);
  connect(m_addAction, &QAction::triggered, this, &TProDefsF::addFileCommand);
  connect(m_saveAction, &QAction::triggered, this, &TProDefsF::saveCommand);
  connect(m_saveAsAction, &QAction::triggered, this, &TProDefsF::saveAsCommand);
  connect(m_exitAction, &QAction::triggered, this, &TProDefsF::exitCommand);
  connect(m_helpAction, &QAction::triggered, this, &TProDefsF::helpCommand);
  connect(m_pcAction, &QAction::triggered, this, [this] {
    if (m_context.runOnPc) m_context.runOnPc();
  });
  connect(m_visualiseAction, &QAction::triggered, this, [this] {
    if (m_context.visualise) m_context.visualise();
  });
  auto* printing = new PrintCommands(m_context, this);
  connect(m_printAction, &QAction::triggered, printing, &PrintCommands::print);
  connect(m_printerSetupAction, &QAction::triggered, printing, &PrintCommands::printerSetup);
  connect(m_printFontAction, &QAction::triggered, printing, &PrintCommands::chooseFont);
  connect(m_contentsAction, &QAction::triggered, this, [this] { m_context.showHelp(QStringLiteral("Inhalt")); });
  connect(m_infoAction, &QAction::triggered, this, &TProDefsF::showAbout);
  connect(m_shutterAction, &QAction::triggered, this, [this] {
    if (runShutterAssistant(m_context, this)) refreshPages();
  });

  // The usual keys of a desktop program. The pages' own keys are Alt mnemonics; Ctrl+Q in
  // the constants box stays the line-log switch, because that box takes it before the menu.
  m_newAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  m_openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  m_saveAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  m_saveAsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  m_pcAction->setShortcut(QKeySequence(Qt::Key_F5));
  m_exitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  for (QAction* a : {m_newAction, m_openAction, m_saveAction, m_saveAsAction, m_pcAction, m_exitAction})
    a->setToolTip(QString(a->text()).remove(QLatin1Char('&')) + QStringLiteral(" (") +
                  a->shortcut().toString(QKeySequence::NativeText) + QLatin1Char(')'));

  // F1 opens the help of the page in front, like the Help button.
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(f1, &QShortcut::activated, this, &TProDefsF::helpCommand);
}

void TProDefsF::buildMenus() {
  QMenu* project = menuBar()->addMenu(QStringLiteral("&Projekt"));
  project->setObjectName(QStringLiteral("ProjektMenu"));
  m_projectMenu = project;
  project->addActions({m_newAction, m_openAction, m_addAction, m_saveAction, m_saveAsAction});
  project->addSeparator();
  project->addActions({m_pcAction, m_visualiseAction});
  project->addSeparator();
  project->addActions({m_printAction, m_printerSetupAction});
  project->addSeparator();
  project->addAction(m_exitAction);
  // The list may have changed through another command since the menu was last shown.
  connect(project, &QMenu::aboutToShow, this, &TProDefsF::refreshRecentProjects);

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Hilfe"));
  help->setObjectName(QStringLiteral("HilfeMenu"));
  help->addActions({m_contentsAction, m_infoAction});
}

void TProDefsF::buildToolBar() {
  QToolBar* bar = addToolBar(QStringLiteral("Projekt"));
  bar->setObjectName(QStringLiteral("ToolBar"));
  bar->setMovable(false);
  bar->addActions({m_openAction, m_saveAction, m_exitAction, m_newAction, m_pcAction, m_printAction,
                   m_printFontAction, m_helpAction, m_visualiseAction});
  bar->addSeparator();
  auto* caption = new QLabel(QStringLiteral(" Projekt "), bar);
  caption->setObjectName(QStringLiteral("ProjektLb"));
  bar->addWidget(caption);
  m_projectName = new DoubleClickLabel([this] { renameProjectCommand(); }, bar);
  m_projectName->setObjectName(QStringLiteral("ProjNameLb"));
  m_projectName->setMinimumWidth(120);
  m_projectName->setFrameShape(QFrame::StyledPanel);
  m_projectName->setToolTip(QStringLiteral("Doppelklick benennt das Projekt um"));
  bar->addWidget(m_projectName);
  bar->addSeparator();
  bar->addActions({m_shutterAction, m_addAction});
}

void TProDefsF::buildPages() {
  m_notebook = new QTabWidget(this);
  m_notebook->setObjectName(QStringLiteral("Notebook"));
  m_pages = {new ViewsPage(m_context, m_notebook),     new ObjectsPage(m_context, m_notebook),
             new TypesPage(m_context, m_notebook),     new ControlUnitPage(m_context, m_notebook),
             new StationsPage(m_context, m_notebook),  new SettingsPage(m_context, m_notebook)};
  for (MainPage* page : m_pages) m_notebook->addTab(scrollingPage(page, m_notebook), page->caption());
  connect(m_notebook, &QTabWidget::currentChanged, this, &TProDefsF::pageChanging);
}

void TProDefsF::buildHelpButton() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(m_notebook, 1);
  auto* row = new QHBoxLayout();
  row->addStretch(1);
  m_helpButton = new QPushButton(QStringLiteral("&Hilfe"), central);
  m_helpButton->setObjectName(QStringLiteral("HilfeBtn"));
  connect(m_helpButton, &QPushButton::clicked, this, &TProDefsF::helpCommand);
  row->addWidget(m_helpButton);
  layout->addLayout(row);
  setCentralWidget(central);
  // The pages whole where the screen allows; keepOnScreen shrinks the window where it does not.
  resize(sizeHint().expandedTo(QSize(800, 560)));
}

void TProDefsF::pageChanging(int newIndex) {
  // The page that is left takes over its fields before the next one shows them.
  if (m_currentPage >= 0 && m_currentPage < static_cast<int>(m_pages.size())) m_pages[m_currentPage]->leavePage();
  m_currentPage = newIndex;
  if (newIndex >= 0 && newIndex < static_cast<int>(m_pages.size())) m_pages[newIndex]->refresh();
}

MainPage* TProDefsF::page(const QString& caption) const {
  for (MainPage* page : m_pages)
    if (page->caption() == caption) return page;
  return nullptr;
}

MainPage* TProDefsF::currentPage() const {
  if (m_currentPage < 0 || m_currentPage >= static_cast<int>(m_pages.size())) return nullptr;
  return m_pages[m_currentPage];
}

void TProDefsF::refreshPages() {
  for (MainPage* page : m_pages) page->refresh();
  m_projectName->setText(toQ(m_context.workspace.settings().projectNameLabel));
  refreshTitle();
}

void TProDefsF::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (m_shownOnce) return;
  m_shownOnce = true;
  // The pages show or hide their groups by what the project holds, and their sizes are right
  // only once the window is laid out for showing: the first time it opens it grows to show
  // them whole, within the free screen area. Later the user's size stays.
  resize(sizeHint().expandedTo(size()));
  fitOnScreen(this);
}

void TProDefsF::refreshTitle() {
  const Workspace& w = m_context.workspace;
  const QString title = toQ(kelvaro::windowTitle(w.app.caption, w.fileName, w.project.modified));
  if (title != windowTitle()) setWindowTitle(title);
}

void TProDefsF::refreshRecentProjects() {
  // Later, not at once: the list is rebuilt from inside the triggered entry's own signal.
  for (QAction* a : m_recentActions) {
    m_projectMenu->removeAction(a);
    a->setObjectName(QString());
    a->deleteLater();
  }
  m_recentActions.clear();
  const std::vector<std::string>& recent = m_context.workspace.settings().recentProjects;
  for (std::size_t i = 0; i < recent.size(); ++i) {
    // Paths are UTF-8, not the Windows-1252 of the program's own texts.
    auto* a = new QAction(QString::fromStdString(recentProjectLabel(i, recent[i])), this);
    a->setObjectName(QStringLiteral("ZuletztAct%1").arg(i + 1));
    a->setStatusTip(QString::fromStdString(recent[i]));
    connect(a, &QAction::triggered, this, [this, i] { openRecentCommand(i); });
    m_projectMenu->insertAction(m_exitAction, a);
    m_recentActions.push_back(a);
  }
  // A second separator sets the list apart from "Beenden".
  if (!m_recentActions.empty()) {
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    m_projectMenu->insertAction(m_exitAction, separator);
    m_recentActions.push_back(separator);
  }
}

bool TProDefsF::mainTimerActive() const { return m_mainTimer->isActive(); }

void TProDefsF::projectReplaced() {
  if (m_context.projectChanged) m_context.projectChanged();
  refreshTitle();
  refreshRecentProjects();
}

// After "Speichern" and "Speichern unter": the name label, the title and the recent list
// follow the file, and a successful write is confirmed in the status line.
void TProDefsF::projectWritten(bool written) {
  const Workspace& w = m_context.workspace;
  m_projectName->setText(toQ(w.settings().projectNameLabel));
  refreshTitle();
  refreshRecentProjects();
  if (written)
    statusBar()->showMessage(QStringLiteral("Projekt gespeichert: ") + QString::fromStdString(baseNameOf(w.fileName)),
                             kConfirmationMs);
}

void TProDefsF::newCommand() {
  if (newProject(m_context.workspace, m_context.ui)) projectReplaced();
}

void TProDefsF::openCommand() {
  if (openProject(m_context.workspace, m_context.ui)) projectReplaced();
}

void TProDefsF::addFileCommand() {
  if (addProjectFile(m_context.workspace, m_context.ui)) projectReplaced();
  refreshTitle();  // modified even when cancelled
}

void TProDefsF::openRecentCommand(std::size_t index) {
  if (openRecentProject(m_context.workspace, m_context.ui, index)) {
    projectReplaced();
  } else {
    refreshRecentProjects();  // a missing file left the list
  }
}

void TProDefsF::saveCommand() {
  // A field being edited on the page in front goes into the project before it is written.
  if (MainPage* page = currentPage()) page->leavePage();
  projectWritten(saveProject(m_context.workspace, m_context.ui));
}

void TProDefsF::saveAsCommand() {
  if (MainPage* page = currentPage()) page->leavePage();
  projectWritten(saveProjectAs(m_context.workspace, m_context.ui));
}

void TProDefsF::renameProjectCommand() {
  if (renameProject(m_context.workspace, m_context.ui)) {
    m_projectName->setText(toQ(m_context.workspace.settings().projectNameLabel));
    refreshTitle();
  }
}

void TProDefsF::exitCommand() {
  if (MainPage* page = currentPage()) page->leavePage();
  kelvaro::exitCommand(m_context.workspace.project, m_context.ui, [this] { saveAsCommand(); });
  close();
}

void TProDefsF::helpCommand() {
  MainPage* page = currentPage();
  if (page != nullptr && m_context.showHelp) m_context.showHelp(page->helpTopic());
}

void TProDefsF::showAbout() {
  QMessageBox::about(this, QStringLiteral("Info"),
                     QStringLiteral("kelvaro\nVersion ") + QString::fromStdString(std::string(programVersion())) +
                         QStringLiteral("\n\nPlanung, Programmierung und Ausführung einer Hausautomatisierung"));
}

void TProDefsF::mainTimerTick() {
  // The pages, editors and dialogs set the modified flag without telling the window.
  refreshTitle();
  const AutostartAction start = autostartTick(m_context.workspace.settings());
  if (start == AutostartAction::None) return;
  const std::function<void()>& run = start == AutostartAction::PcExecution ? m_context.runOnPc : m_context.visualise;
  if (!run) return;
  try {
    run();
  } catch (const std::exception&) {
    showAutostartError(m_context.ui);
  }
}

void TProDefsF::closeEvent(QCloseEvent* event) {
  // A text box being edited reports its change when it loses the focus.
  if (m_helpButton != nullptr) m_helpButton->setFocus(Qt::OtherFocusReason);
  if (MainPage* page = currentPage()) page->leavePage();
  if (!closeQuery(m_context.workspace.project, m_context.ui)) {
    event->ignore();
    return;
  }
  event->accept();
  if (m_shutDown) return;
  m_shutDown = true;
  m_mainTimer->stop();
  Workspace& w = m_context.workspace;
  shutDown(w.project, w.settings(), w.ini, m_context.ui);
}

}  // namespace kelvaro::gui
