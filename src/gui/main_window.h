// The main window of kelvaro: the tool bar, the menus and the six notebook pages over the
// workspace, its 100 ms timer and the questions on closing. The commands live in the core;
// the window binds them to its controls.
//
// The window classes keep the names the program has always used: T… a class and …F a form,
// that is a window (TProDefsF this one, TObjDefF the object editor, TIntRunF the execution
// window, TDebugF the debugger, TEingabeF the input dialog, TMsgListF the message list).
#pragma once

#include <QMainWindow>
#include <vector>

#include "main_context.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;

namespace kelvaro::gui {

class MainPage;

class TProDefsF : public QMainWindow {
  Q_OBJECT

 public:
  TProDefsF(Workspace& workspace, UserInterface& ui, QWidget* parent = nullptr);

  MainContext& context() { return m_context; }
  QTabWidget* notebook() const { return m_notebook; }
  // The page with this caption ("Objekte" ...), for the tests and the screenshots.
  MainPage* page(const QString& caption) const;
  MainPage* currentPage() const;
  // Shows the workspace anew on every page and the project name in the tool bar.
  void refreshPages();
  // The title names the current file and marks unsaved changes; the timer keeps it current,
  // the project commands update it at once.
  void refreshTitle();
  // The recently opened projects at the end of the menu "Projekt".
  void refreshRecentProjects();
  bool mainTimerActive() const;

  // The project commands, as tool bar and menu run them.
  void newCommand();
  void openCommand();
  void addFileCommand();
  void saveCommand();
  void saveAsCommand();
  void renameProjectCommand();
  void exitCommand();
  void helpCommand();
  void openRecentCommand(std::size_t index);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void buildPages();
  void buildActions();
  void buildMenus();
  void buildToolBar();
  void buildHelpButton();
  void pageChanging(int newIndex);
  void mainTimerTick();
  void showAbout();
  void projectReplaced();
  void projectWritten(bool written);
  QAction* action(const QString& objectName, const QString& text, int standardIcon);

  MainContext m_context;
  QTabWidget* m_notebook = nullptr;
  std::vector<MainPage*> m_pages;
  int m_currentPage = 0;
  QTimer* m_mainTimer = nullptr;
  QLabel* m_projectName = nullptr;
  QPushButton* m_helpButton = nullptr;
  bool m_shutDown = false;
  bool m_shownOnce = false;

  QAction* m_openAction = nullptr;
  QAction* m_saveAction = nullptr;
  QAction* m_saveAsAction = nullptr;
  QAction* m_exitAction = nullptr;
  QAction* m_newAction = nullptr;
  QAction* m_addAction = nullptr;
  QAction* m_pcAction = nullptr;
  QAction* m_visualiseAction = nullptr;
  QAction* m_printAction = nullptr;
  QAction* m_printerSetupAction = nullptr;
  QAction* m_printFontAction = nullptr;
  QAction* m_helpAction = nullptr;
  QAction* m_shutterAction = nullptr;
  QAction* m_contentsAction = nullptr;
  QAction* m_infoAction = nullptr;
  QMenu* m_projectMenu = nullptr;
  std::vector<QAction*> m_recentActions;  // the recent projects and their separator, before "Beenden"
};

}  // namespace kelvaro::gui
