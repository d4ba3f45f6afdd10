// The main window: builds the pages and connects the hooks they share.
#include "main_window.h"

#include <QTabWidget>

#include "help_window.h"
#include "object_editor_dialog.h"
#include "pages/control_unit_page.h"
#include "pages/objects_page.h"
#include "pages/settings_page.h"
#include "pages/stations_page.h"
#include "pages/types_page.h"
#include "pages/views_page.h"

namespace kelvaro::gui {

TProDefsF::TProDefsF(Workspace& workspace, UserInterface& ui, QWidget* parent)
    : QMainWindow(parent), m_context(workspace, ui) {
  setWindowTitle(QStringLiteral("kelvaro"));
  resize(800, 560);
  m_context.projectChanged = [this] { refreshPages(); };
  m_context.showHelp = [this](const QString& topic) { showHelpTopic(topic, this); };
  m_context.editObject = [this](const EditorRequest& request) {
    if (m_context.setMainTimer) m_context.setMainTimer(false);
    const bool accepted = runObjectEditor(m_context, request, this);
    if (m_context.setMainTimer) m_context.setMainTimer(true);
    return accepted;
  };
  buildPages();
  refreshPages();
}

void TProDefsF::buildPages() {
  m_notebook = new QTabWidget(this);
  m_notebook->setObjectName(QStringLiteral("Notebook"));
  m_pages = {new ViewsPage(m_context, m_notebook),     new ObjectsPage(m_context, m_notebook),
             new TypesPage(m_context, m_notebook),     new ControlUnitPage(m_context, m_notebook),
             new StationsPage(m_context, m_notebook),  new SettingsPage(m_context, m_notebook)};
  for (MainPage* page : m_pages) m_notebook->addTab(page, page->caption());
  connect(m_notebook, &QTabWidget::currentChanged, this, &TProDefsF::pageChanging);
  setCentralWidget(m_notebook);
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

void TProDefsF::refreshPages() {
  for (MainPage* page : m_pages) page->refresh();
}

}  // namespace kelvaro::gui
