// The page "Objekte" of the main window: the object list with its commands, the two starts
// (PC execution and visualisation) with their switches, and the trace list of the debugger.
#pragma once

#include "pages/main_page.h"

class QCheckBox;
class QListWidget;
class QPushButton;

namespace kelvaro::gui {

class ObjectsPage : public MainPage {
  Q_OBJECT

 public:
  ObjectsPage(MainContext& context, QWidget* parent);

  QString caption() const override { return QStringLiteral("Objekte"); }
  QString helpTopic() const override { return QStringLiteral("seitobj"); }
  void refresh() override;

  // The starts, also reached from tool bar and menu through the window context.
  void runOnPc();
  void visualise();

 private:
  void buildControls();
  void showObjects(int select);
  void showTraceList();
  // The selected object, or -1 after "Kein Objekt ausgewählt".
  int selectedObject();

  void newObject();
  void renameObject();
  void deleteObject();
  void editObject();
  void copyObject();
  void showRelations();
  void hardwareControlClicked(bool on);
  void addTraceEntry();
  void removeTraceEntry();
  void clearTraceList();

  QListWidget* m_objects = nullptr;
  QCheckBox* m_externCheck = nullptr;
  QCheckBox* m_protocolCheck = nullptr;
  QCheckBox* m_traceCheck = nullptr;
  QListWidget* m_traceList = nullptr;
};

}  // namespace kelvaro::gui
