// A notebook page of the main window: shows the workspace anew on demand, takes over its
// fields when the user leaves it, and names its help topic.
#pragma once

#include <QString>
#include <QWidget>

#include "main_context.h"

namespace kelvaro::gui {

class MainPage : public QWidget {
  Q_OBJECT

 public:
  MainPage(MainContext& context, QWidget* parent) : QWidget(parent), m_context(context) {}

  virtual QString caption() const = 0;
  virtual QString helpTopic() const = 0;
  // Fills every control from the workspace (after start-up, open, new, add file).
  virtual void refresh() {}
  // The page is being left: take over what its fields hold.
  virtual void leavePage() {}

 protected:
  MainContext& m_context;
  Workspace& workspace() { return m_context.workspace; }
  Project& project() { return m_context.workspace.project; }
  UserInterface& ui() { return m_context.ui; }
};

}  // namespace kelvaro::gui
