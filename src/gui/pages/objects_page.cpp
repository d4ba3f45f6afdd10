// The page "Objekte": its controls bound to the object commands and the starts of the core.
#include "pages/objects_page.h"

#include <QCheckBox>
#include <algorithm>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/object_commands.h"
#include "app/run_commands.h"
#include "qt_text.h"
#include "screen_fit.h"
#include "where_used_window.h"

namespace kelvaro::gui {
namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

}  // namespace

ObjectsPage::ObjectsPage(MainContext& context, QWidget* parent) : MainPage(context, parent) {
  buildControls();
  m_context.runOnPc = [this] { runOnPc(); };
  m_context.visualise = [this] { visualise(); };
}

void ObjectsPage::buildControls() {
  m_objects = new QListWidget(this);
  m_objects->setObjectName(QStringLiteral("ObjBox"));
  connect(m_objects, &QListWidget::itemDoubleClicked, this, [this] { editObject(); });

  auto* commands = new QVBoxLayout;
  const struct {
    const char* name;
    QString text;
    void (ObjectsPage::*handler)();
  } buttons[] = {
      {"NeuObjBtn", QStringLiteral("&Neu"), &ObjectsPage::newObject},
      {"UmbenObjBtn", QStringLiteral("&Umbennenen"), &ObjectsPage::renameObject},
      {"LoeschObjBtn", QStringLiteral("&Löschen"), &ObjectsPage::deleteObject},
      {"BearbObjBtn", QStringLiteral("&Bearbeiten"), &ObjectsPage::editObject},
      {"KopierObjBtn", QStringLiteral("&Kopieren"), &ObjectsPage::copyObject},
      {"BezugBtn", QStringLiteral("Be&züge"), &ObjectsPage::showRelations},
  };
  for (const auto& b : buttons) {
    QPushButton* button = makeButton(this, b.name, b.text);
    connect(button, &QPushButton::clicked, this, b.handler);
    commands->addWidget(button);
  }
  commands->addStretch();

  // The starts and their switches.
  auto* starts = new QGroupBox(QStringLiteral("Ausführung"), this);
  auto* startsLayout = new QVBoxLayout(starts);
  QPushButton* visualiseButton = makeButton(starts, "VisuBtn", QStringLiteral("&Visualisierung"));
  QPushButton* runButton = makeButton(starts, "PCAusfBtn", QStringLiteral("&PC - Ausführung"));
  connect(visualiseButton, &QPushButton::clicked, this, [this] { visualise(); });
  connect(runButton, &QPushButton::clicked, this, [this] { runOnPc(); });
  m_externCheck = new QCheckBox(QStringLiteral("Hardware-Steuerung übernehmen"), starts);
  m_externCheck->setObjectName(QStringLiteral("ExternCB"));
  m_protocolCheck = new QCheckBox(QStringLiteral("Protokoll schreiben"), starts);
  m_protocolCheck->setObjectName(QStringLiteral("ProtCB"));
  // clicked, not toggled: only the user's click is an edit, not refresh() showing the project.
  connect(m_externCheck, &QCheckBox::clicked, this, &ObjectsPage::hardwareControlClicked);
  connect(m_protocolCheck, &QCheckBox::clicked, this, [this](bool on) { workspace().writeProtocol = on; });
  startsLayout->addWidget(visualiseButton);
  startsLayout->addWidget(runButton);
  startsLayout->addWidget(m_externCheck);
  startsLayout->addWidget(m_protocolCheck);

  // The objects the debugger follows step by step.
  auto* trace = new QGroupBox(QStringLiteral("Ablaufverfolgung"), this);
  auto* traceLayout = new QGridLayout(trace);
  m_traceCheck = new QCheckBox(QStringLiteral("&Ablaufverfolgung"), trace);
  m_traceCheck->setObjectName(QStringLiteral("DebugCBox"));
  connect(m_traceCheck, &QCheckBox::clicked, this, [this](bool on) { workspace().traceMode = on; });
  m_traceList = new QListWidget(trace);
  m_traceList->setObjectName(QStringLiteral("DebugLBox"));
  QPushButton* addTrace = makeButton(trace, "DebugAddBtn", QStringLiteral("Objekt aufnehmen"));
  QPushButton* removeTrace = makeButton(trace, "DebugDelBtn", QStringLiteral("Eintrag entfernen"));
  QPushButton* clearTrace = makeButton(trace, "DebugClearBtn", QStringLiteral("Liste leeren"));
  connect(addTrace, &QPushButton::clicked, this, &ObjectsPage::addTraceEntry);
  connect(removeTrace, &QPushButton::clicked, this, &ObjectsPage::removeTraceEntry);
  connect(clearTrace, &QPushButton::clicked, this, &ObjectsPage::clearTraceList);
  traceLayout->addWidget(m_traceCheck, 0, 0, 1, 3);
  traceLayout->addWidget(m_traceList, 1, 0, 1, 3);
  traceLayout->addWidget(addTrace, 2, 0);
  traceLayout->addWidget(removeTrace, 2, 1);
  traceLayout->addWidget(clearTrace, 2, 2);

  auto* right = new QVBoxLayout;
  right->addWidget(starts);
  right->addWidget(trace);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(m_objects, 2);
  layout->addLayout(commands);
  layout->addLayout(right, 2);
}

void ObjectsPage::refresh() {
  showObjects(m_objects->currentRow());
  m_externCheck->setChecked(project().Extern);
  m_protocolCheck->setEnabled(project().Extern);
  m_protocolCheck->setChecked(workspace().writeProtocol);
  m_traceCheck->setChecked(workspace().traceMode);
  showTraceList();
}

void ObjectsPage::showObjects(int select) {
  m_objects->clear();
  for (const auto& object : project().objects) m_objects->addItem(toQ(object.Name));
  if (m_objects->count() == 0) return;
  m_objects->setCurrentRow(std::clamp(select, 0, m_objects->count() - 1));
}

void ObjectsPage::showTraceList() {
  m_traceList->clear();
  m_traceList->addItems(toQList(workspace().traceList));
}

int ObjectsPage::selectedObject() {
  const int row = m_objects->currentRow();
  if (row < 0 || row >= static_cast<int>(project().objects.size())) {
    showError(ui(), fromQ(QStringLiteral("Kein Objekt ausgewählt")));
    return -1;
  }
  return row;
}

void ObjectsPage::newObject() {
  const int index = kelvaro::newObject(project(), ui());
  if (index >= 0) showObjects(index);
}

void ObjectsPage::renameObject() {
  const int index = selectedObject();
  if (index >= 0 && kelvaro::renameObject(project(), ui(), index)) showObjects(index);
}

void ObjectsPage::deleteObject() {
  const int index = selectedObject();
  if (index >= 0 && kelvaro::deleteObject(project(), ui(), index)) showObjects(index);
}

void ObjectsPage::editObject() {
  const int index = selectedObject();
  if (index < 0) return;
  project().modified = true;
  EditorRequest request;
  request.object = index;
  request.trace = workspace().traceMode;
  if (m_context.editObject) m_context.editObject(request);
  // The editor may have renamed the object.
  showObjects(index);
}

void ObjectsPage::copyObject() {
  const int index = selectedObject();
  if (index < 0) return;
  const int copy = kelvaro::copyObject(project(), ui(), index);
  if (copy >= 0) showObjects(copy);
}

void ObjectsPage::showRelations() {
  const int index = selectedObject();
  if (index < 0) return;
  showWhereUsed(m_context, project().objects[static_cast<std::size_t>(index)].Name, this);
  // An editor opened from the list may have renamed the object.
  showObjects(index);
}

void ObjectsPage::hardwareControlClicked(bool on) {
  // The switch travels in the project file, so changing it is an edit of the project.
  project().Extern = on;
  project().modified = true;
  workspace().unit.HardwareControl = on;
  m_protocolCheck->setEnabled(on);
}

void ObjectsPage::addTraceEntry() {
  const int index = selectedObject();
  if (index < 0) return;
  kelvaro::addTraceEntry(workspace(), project().objects[static_cast<std::size_t>(index)].Name);
  showTraceList();
}

void ObjectsPage::removeTraceEntry() {
  if (kelvaro::removeTraceEntry(workspace(), m_traceList->currentRow())) showTraceList();
}

void ObjectsPage::clearTraceList() {
  kelvaro::clearTraceList(workspace());
  showTraceList();
}

namespace {

RunHooks hooksFor(MainContext& context, QWidget* page) {
  RunHooks hooks;
  hooks.setMainTimer = context.setMainTimer;
  hooks.showMainWindow = [page](bool visible) { showInPlace(page->window(), visible); };
  if (context.checkUnit) hooks.checkUnit = [&context](Workspace&, int mode) { return context.checkUnit(mode); };
  hooks.openExecutionWindow = context.openExecutionWindow;
  hooks.editObject = context.editObject;
  return hooks;
}

}  // namespace

void ObjectsPage::runOnPc() {
  kelvaro::runOnPc(workspace(), ui(), hooksFor(m_context, this));
  // The compile hands out selection numbers and an editor may have renamed an object.
  showObjects(m_objects->currentRow());
}

void ObjectsPage::visualise() {
  kelvaro::visualiseUnit(workspace(), ui(), hooksFor(m_context, this));
  showObjects(m_objects->currentRow());
}

}  // namespace kelvaro::gui
