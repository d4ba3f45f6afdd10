// What the window tests share: a workspace with a scripted user interface and its main context,
// the named controls of a window and the texts of a list.
#pragma once

#include <QListWidget>
#include <QStringList>

#include "main_context.h"
#include "support/fake_user_interface.h"

namespace kelvaro::test {

struct GuiWorkspace {
  Workspace workspace;
  FakeUserInterface ui;
  gui::MainContext context{workspace, ui};
};

// The control of that name; a window without it ends the test run.
template <typename T>
T* child(const QObject* window, const char* name) {
  T* found = window->findChild<T*>(QString::fromLatin1(name));
  if (found == nullptr) qFatal("no control %s", name);
  return found;
}

inline QStringList itemTexts(const QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

}  // namespace kelvaro::test
