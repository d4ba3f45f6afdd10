// The main window of kelvaro: the tool bar, the menus and the six notebook pages over the
// workspace. The commands live in the core; the window binds them to its controls.
#pragma once

#include <QMainWindow>
#include <vector>

#include "main_context.h"

class QTabWidget;

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
  // Shows the workspace anew on every page.
  void refreshPages();

 private:
  void buildPages();
  void pageChanging(int newIndex);

  MainContext m_context;
  QTabWidget* m_notebook = nullptr;
  std::vector<MainPage*> m_pages;
  int m_currentPage = 0;
};

}  // namespace kelvaro::gui
