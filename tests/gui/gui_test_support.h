// What the window tests share: a workspace with a scripted user interface and its main context,
// the named controls of a window, the texts of a list, and an execution window in virtual time.
#pragma once

// The whole of Qt Widgets and Qt Test, which every window test needs much of.
#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <memory>

#include "language/compiler.h"
#include "main_context.h"
#include "run/execution_window.h"
#include "support/fake_user_interface.h"
#include "text/cp1252.h"
#include "time/date_time.h"

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

// Runs the test's windows on a single 1024 x 768 screen, the smallest the program is made for.
// Call from the test class's initMain, before the application exists.
inline void useSmallScreen() {
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" KELVARO_SOURCE_DIR "/tests/gui/small_screen.json");
}

// What of the shown window lies outside the screen's free area, or of the controls outside the
// window; empty when everything is in reach.
inline QString outOfReach(const QWidget* window, std::initializer_list<const QWidget*> controls) {
  QString out;
  const QRect area = window->screen()->availableGeometry();
  if (!area.contains(window->frameGeometry()))
    out += QLatin1String(window->metaObject()->className()) + QStringLiteral(" ");
  for (const QWidget* c : controls)
    if (!c->isVisible() || !window->rect().contains(QRect(c->mapTo(window, QPoint(0, 0)), c->size())))
      out += c->objectName() + QStringLiteral(" ");
  return out;
}

// Runs look on the modal window of type T once the event loop has opened it; look closes it.
template <typename T>
void onModal(std::function<void(T*)> look) {
  QTimer::singleShot(0, [look] {
    QTRY_VERIFY(qobject_cast<T*>(QApplication::activeModalWidget()) != nullptr);
    look(qobject_cast<T*>(QApplication::activeModalWidget()));
  });
}

inline QStringList itemTexts(const QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

// An execution window on a compiled project: the test drives its timers, so a tick happens
// exactly when the test says.
struct RunWindow {
  Project project;
  CompileOutput compiled;
  ManualClock clock{*encodeDate(2026, 6, 15) + *encodeTime(10, 0, 2)};
  FakeUserInterface ui;
  std::unique_ptr<gui::TIntRunF> window;

  // Compiles the project and opens the window past its automatic start; false when it does not compile.
  bool open(gui::ExecutionWindowOptions options) {
    compiled = compile(project, project.constants, CompileMode::Run);
    if (compiled.result.code != 0) return false;
    options.autoTimers = false;
    window = std::make_unique<gui::TIntRunF>(project, compiled, clock, ui, std::move(options));
    window->show();
    window->Timer1Timer();
    return true;
  }
  int index(const char* name) const { return findObject(project, name); }
  std::string text(int object) const { return toUtf8(window->session().shownText(object)); }
  void ticks(int n) {
    for (int i = 0; i < n; ++i) {
      window->Timer3Timer();
      clock.advanceMs(10);
    }
  }
};

}  // namespace kelvaro::test
