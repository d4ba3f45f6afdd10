// The object editor's window. Controls copy their values into the editor's fields; the
// editor decides what follows (panels, states, messages) and the window draws it again.
#include "object_editor/obj_def_form.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <utility>

#include "app/object_editor_keywords.h"
#include "assistants/action_form.h"
#include "assistants/condition_form.h"
#include "assistants/switching_times.h"
#include "assistants/switching_times_form.h"
#include "model/object_types.h"
#include "model/colors.h"
#include "qt_text.h"
#include "screen_fit.h"

namespace kelvaro::gui {
namespace {

constexpr int kTypePage = 0, kProgramPage = 1, kHardwarePage = 2;
const QString kAutoCaption = QStringLiteral("Auto-Anweisungen");
const QString kProgramCaption = QStringLiteral("Programm-Anweisungen");

// A group box of radio buttons numbered 0, 1, ... in caption order.
QGroupBox* radioGroup(const QString& title, const QString& name, const QStringList& captions, QButtonGroup*& group,
                      QWidget* parent, bool horizontal = false) {
  auto* box = new QGroupBox(title, parent);
  box->setObjectName(name);
  QBoxLayout* layout = horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout(box)) : new QVBoxLayout(box);
  group = new QButtonGroup(box);
  for (int i = 0; i < captions.size(); ++i) {
    auto* button = new QRadioButton(captions[i], box);
    group->addButton(button, i);
    layout->addWidget(button);
  }
  return box;
}

void checkRadio(QButtonGroup* group, int id) {
  if (QAbstractButton* b = group->button(id)) {
    b->setChecked(true);
  } else {
    // No valid choice: none of the buttons is checked.
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons()) button->setChecked(false);
    group->setExclusive(true);
  }
}

QSpinBox* numberBox(const QString& name, QWidget* parent) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(name);
  box->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
  return box;
}

QString toQText(const std::vector<std::string>& lines) {
  QStringList list;
  for (const auto& line : lines) list << toQ(line);
  return list.join(QLatin1Char('\n'));
}

void setComboText(QComboBox* combo, const QString& text) {
  int index = combo->findText(text);
  if (index < 0 && !text.isEmpty()) {
    combo->addItem(text);
    index = combo->count() - 1;
  }
  if (combo->isEditable()) combo->setEditText(text);
  combo->setCurrentIndex(index);
}

}  // namespace

TObjDefF::TObjDefF(MainContext& context, const EditorRequest& request, ObjectEditorHooks hooks, QWidget* parent)
    : QDialog(parent), m_context(context) {
  setObjectName(QStringLiteral("ObjDefF"));
  setWindowTitle(QStringLiteral("Objektdefinition"));
  hooks.projectFile = context.workspace.fileName;
  m_editor = std::make_unique<ObjectEditor>(context.workspace.project, request.object,
                                            context.workspace.settings().DIRBMP, std::move(hooks));

  auto* layout = new QVBoxLayout(this);
  m_title = new QLabel(this);
  m_title->setObjectName(QStringLiteral("ObjNameLb"));
  QFont titleFont = m_title->font();
  titleFont.setBold(true);
  titleFont.setPointSize(titleFont.pointSize() + 2);
  m_title->setFont(titleFont);
  layout->addWidget(m_title);

  m_notebook = new QTabWidget(this);
  m_notebook->setObjectName(QStringLiteral("ObjNotebook"));
  const std::pair<QWidget*, QString> pages[] = {{buildTypePage(), QStringLiteral("Typ")},
                                                 {buildProgramPage(), QStringLiteral("Programmierung")},
                                                 {buildHardwarePage(), QStringLiteral("Hardware")}};
  for (const auto& [page, caption] : pages) m_notebook->addTab(scrollingPage(page, m_notebook), caption);
  layout->addWidget(m_notebook, 1);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("OKBtn"));
  QPushButton* cancel = buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("CancelBtn"));
  QPushButton* help = buttons->addButton(QStringLiteral("Hilfe"), QDialogButtonBox::HelpRole);
  help->setObjectName(QStringLiteral("HelpBtn"));
  connect(buttons, &QDialogButtonBox::accepted, this, &TObjDefF::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TObjDefF::reject);
  connect(help, &QPushButton::clicked, this, [this] {
    // The generated statements have a topic of their own.
    QString topic = QStringLiteral("seitobjtyp");
    if (m_notebook->currentIndex() == kProgramPage)
      topic = m_editor->fields().showAutoStatements ? QStringLiteral("seitobjstab") : QStringLiteral("seitobjpgm");
    else if (m_notebook->currentIndex() == kHardwarePage)
      topic = QStringLiteral("seitobjhw");
    if (m_context.showHelp) m_context.showHelp(topic);
  });
  layout->addWidget(buttons);

  fillControls();
  EditorPage page = request.page;
  if (request.errorCode != 0) {
    m_editor->showError(request.errorCode, request.errorPosition, request.errorName, request.lineMap);
    page = EditorPage::Program;
  } else if (request.storedLine >= 0) {
    // Opened on a line (where-used): it is shown selected in its area, like an error's line.
    ObjectEditorFields& f = m_editor->fields();
    f.errorLine = editorLineOfStored(context.workspace.project.objects.at(static_cast<std::size_t>(request.object)).program,
                                     request.storedLine);
    f.showAutoStatements = f.errorLine.area == EditorLine::Area::Auto;
  }
  if (m_editor->isInitObject()) page = EditorPage::Program;
  m_currentPage = static_cast<int>(page);
  m_notebook->setCurrentIndex(m_currentPage);
  connect(m_notebook, &QTabWidget::currentChanged, this, &TObjDefF::pageChanging);
  if (request.trace) showHints();
  m_error->setVisible(m_editor->fields().errorVisible);
  m_error->setText(toQ(m_editor->fields().errorText));
  showProgramArea();
  selectErrorLine();
  // Large enough for the largest page without scrolling; keepOnScreen cuts it to the screen,
  // where the pages scroll instead.
  resize(sizeHint().expandedTo(QSize(720, 560)));
  keepOnScreen(this);
}

TObjDefF::~TObjDefF() = default;

void TObjDefF::showHints() {
  // With tracing on, the editor explains its less obvious controls.
  m_objectId->setToolTip(QStringLiteral("Auswahlnummer für Telefon und Taster (1 bis 9999); 0 = automatisch"));
  m_views->setToolTip(QStringLiteral("Doppelklick: Ansicht aktivieren oder deaktivieren (höchstens 3)"));
  m_interval->setToolTip(QStringLiteral("Wie oft das Programm ohne Anlass ausgeführt wird"));
  m_variables->setToolTip(QStringLiteral("Variablen des Objekts mit Name, Typ und Startwert"));
  m_program->setToolTip(QStringLiteral("Eine Anweisung je Zeile"));
  m_autoButton->setToolTip(QStringLiteral("Wechselt zwischen dem Programm und den automatisch erzeugten Anweisungen"));
  m_executeOnReceive->setToolTip(QStringLiteral("Programm ausführen, wenn eine Meldung vom Sensor eintrifft"));
}

QWidget* TObjDefF::buildTypePage() {
  auto* page = new QWidget(m_notebook);
  auto* grid = new QGridLayout(page);

  auto* form = new QFormLayout;
  m_type = new QComboBox(page);
  m_type->setObjectName(QStringLiteral("TypCB"));
  connect(m_type, &QComboBox::activated, this, &TObjDefF::typeChosen);
  form->addRow(QStringLiteral("Typ"), m_type);
  m_label = new QLineEdit(page);
  m_label->setObjectName(QStringLiteral("ONameEd"));
  form->addRow(QStringLiteral("Bezeichnung"), m_label);
  auto* start = new QWidget(page);
  auto* startLayout = new QHBoxLayout(start);
  startLayout->setContentsMargins(0, 0, 0, 0);
  m_startText = new QLineEdit(start);
  m_startText->setObjectName(QStringLiteral("StartValEd"));
  m_startState = new QComboBox(start);
  m_startState->setObjectName(QStringLiteral("StartValCB"));
  startLayout->addWidget(m_startText);
  startLayout->addWidget(m_startState);
  form->addRow(QStringLiteral("Startwert"), start);
  m_objectId = new QLineEdit(page);
  m_objectId->setObjectName(QStringLiteral("ObjIDEd"));
  connect(m_objectId, &QLineEdit::editingFinished, this, &TObjDefF::objectIdLeft);
  form->addRow(QStringLiteral("Objekt-ID-Nr."), m_objectId);
  m_voice = new QLineEdit(page);
  m_voice->setObjectName(QStringLiteral("VoiceContrEd"));
  form->addRow(QStringLiteral("Befehl für Sprachsteuerung"), m_voice);
  m_actionMenu = new QCheckBox(QStringLiteral("in Aktionsmenü"), page);
  m_actionMenu->setObjectName(QStringLiteral("SpecStCB"));
  connect(m_actionMenu, &QCheckBox::toggled, this, [this](bool ticked) {
    if (m_filling) return;
    m_editor->fields().voiceControl = fromQ(m_voice->text());
    m_editor->setInActionMenu(m_context.ui, ticked);
  });
  form->addRow(QString(), m_actionMenu);
  grid->addLayout(form, 0, 0);

  auto* flags = new QVBoxLayout;
  auto flag = [&](const QString& caption, const QString& name) {
    auto* box = new QCheckBox(caption, page);
    box->setObjectName(name);
    flags->addWidget(box);
    return box;
  };
  m_deactivate = flag(QStringLiteral("&Deaktivieren beim Start"), QStringLiteral("ActivCB"));
  m_invisible = flag(QStringLiteral("&Unsichtbar beim Start"), QStringLiteral("VisibleCB"));
  m_beep = flag(QStringLiteral("&Ton beim Umschalten"), QStringLiteral("BeepCB"));
  m_inputExec = flag(QStringLiteral("&Ausführen bei Eingabe"), QStringLiteral("InputExecCB"));
  m_autoSize = flag(QStringLiteral("Schrift&größenanpassung"), QStringLiteral("AutoSizeCB"));
  m_stretch = flag(QStringLiteral("Bitmapgrösse anpassen"), QStringLiteral("StretchCB"));
  flags->addWidget(radioGroup(QStringLiteral("Bildschirmeingabe"), QStringLiteral("BSInputRB"),
                              {QStringLiteral("&Umschalten bei Maus-Klick"), QStringLiteral("Wert&menü bei Maus-Klick"),
                               QStringLiteral("Keine Bildschi&rmeingabe")},
                              m_screenInput, page));
  grid->addLayout(flags, 0, 1);

  auto* viewBox = new QGroupBox(QStringLiteral("Ansichten"), page);
  auto* viewLayout = new QVBoxLayout(viewBox);
  m_views = new QListWidget(viewBox);
  m_views->setObjectName(QStringLiteral("AnsichtLB"));
  viewLayout->addWidget(m_views);
  m_viewButton = new QPushButton(QStringLiteral("Ansicht wählen"), viewBox);
  m_viewButton->setObjectName(QStringLiteral("AnsichtBtn"));
  viewLayout->addWidget(m_viewButton);
  connect(m_views, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { viewToggled(m_views->row(item)); });
  connect(m_viewButton, &QPushButton::clicked, this, [this] { viewToggled(m_views->currentRow()); });
  connect(m_views, &QListWidget::currentRowChanged, this, [this] { showViewButton(); });
  grid->addWidget(viewBox, 1, 0);

  auto* panels = new QVBoxLayout;
  m_numberPanel = buildNumberPanel();
  m_textPanel = buildTextPanel();
  m_statesPanel = buildStatesPanel();
  panels->addWidget(m_numberPanel);
  panels->addWidget(m_textPanel);
  panels->addWidget(m_statesPanel);
  panels->addStretch();
  grid->addLayout(panels, 1, 1);
  return page;
}

QWidget* TObjDefF::buildNumberPanel() {
  auto* panel = new QWidget(this);
  panel->setObjectName(QStringLiteral("ZahlPanel"));
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(radioGroup(QStringLiteral("Ausgabe"), QStringLiteral("OutpRB"),
                               {QStringLiteral("Zahlenfenster"), QStringLiteral("Balken"), QStringLiteral("Schieberegler")},
                               m_outputForm, panel, true));
  connect(m_outputForm, &QButtonGroup::idClicked, this, [this](int id) {
    m_editor->setOutputForm(id);
    showBarPanel();
  });
  m_barPanel = new QWidget(panel);
  m_barPanel->setObjectName(QStringLiteral("BalkenPanel"));
  auto* bar = new QGridLayout(m_barPanel);
  m_gaugeFrom = numberBox(QStringLiteral("GgeFromEd"), m_barPanel);
  m_gaugeTo = numberBox(QStringLiteral("GgeToEd"), m_barPanel);
  m_gaugeColor = new QComboBox(m_barPanel);
  m_gaugeColor->setObjectName(QStringLiteral("GgeColCB"));
  for (auto name : kColorNames) m_gaugeColor->addItem(toQ(name));
  bar->addWidget(new QLabel(QStringLiteral("von"), m_barPanel), 0, 0);
  bar->addWidget(m_gaugeFrom, 0, 1);
  bar->addWidget(new QLabel(QStringLiteral("bis"), m_barPanel), 0, 2);
  bar->addWidget(m_gaugeTo, 0, 3);
  bar->addWidget(new QLabel(QStringLiteral("Farbe"), m_barPanel), 1, 0);
  bar->addWidget(m_gaugeColor, 1, 1, 1, 3);
  m_valueBox = radioGroup(QStringLiteral("Wert"), QStringLiteral("OutpWrtRB"),
                          {QStringLiteral("Keine Anzeige"), QStringLiteral("Wert"), QStringLiteral("Prozent")},
                          m_valueDisplay, m_barPanel);
  bar->addWidget(m_valueBox, 2, 0, 1, 2);
  bar->addWidget(radioGroup(QStringLiteral("Ausrichtung"), QStringLiteral("GaugeDirRB"),
                            {QStringLiteral("Horizontal"), QStringLiteral("Vertikal")}, m_gaugeDirection, m_barPanel),
                 2, 2, 1, 2);
  layout->addWidget(m_barPanel);
  return panel;
}

QWidget* TObjDefF::buildTextPanel() {
  auto* panel = new QWidget(this);
  panel->setObjectName(QStringLiteral("ZeichenPanel"));
  auto* form = new QFormLayout(panel);
  m_panelChars = numberBox(QStringLiteral("PanelChEd"), panel);
  m_panelRows = numberBox(QStringLiteral("PanelRoEd"), panel);
  m_panelChars->setMinimum(0);
  m_panelRows->setMinimum(0);
  form->addRow(QStringLiteral("Zeichen je Zeile"), m_panelChars);
  form->addRow(QStringLiteral("Anzahl Zeilen"), m_panelRows);
  return panel;
}

QWidget* TObjDefF::buildStatesPanel() {
  auto* panel = new QGroupBox(QStringLiteral("Zustände"), this);
  panel->setObjectName(QStringLiteral("ZustPanel"));
  auto* layout = new QGridLayout(panel);
  m_states = new QListWidget(panel);
  m_states->setObjectName(QStringLiteral("ZustLB"));
  layout->addWidget(m_states, 0, 0, 3, 1);
  auto* bitmap = new QPushButton(QStringLiteral("&BitMap"), panel);
  bitmap->setObjectName(QStringLiteral("BitMapBtn"));
  auto* remove = new QPushButton(QStringLiteral("&Entfernen"), panel);
  remove->setObjectName(QStringLiteral("BitMapDelBtn"));
  layout->addWidget(bitmap, 0, 1);
  layout->addWidget(remove, 1, 1);
  m_preview = new QLabel(panel);
  m_preview->setObjectName(QStringLiteral("BitMapImg"));
  m_preview->setMinimumSize(80, 50);
  m_preview->setAlignment(Qt::AlignCenter);
  layout->addWidget(m_preview, 2, 1);
  layout->addWidget(radioGroup(QStringLiteral("Wenn kein Bitmap angegeben"), QStringLiteral("NoBitMapRB"),
                               {QStringLiteral("&keine Anzeige"), QStringLiteral("Ausgabe&fenster"),
                                QStringLiteral("keine Ä&nderung")},
                               m_noBitmap, panel),
                    3, 0, 1, 2);
  connect(bitmap, &QPushButton::clicked, this, &TObjDefF::chooseBitmap);
  connect(remove, &QPushButton::clicked, this, &TObjDefF::removeBitmap);
  connect(m_states, &QListWidget::itemDoubleClicked, this, [this] { chooseBitmap(); });
  connect(m_states, &QListWidget::currentRowChanged, this, &TObjDefF::previewState);
  return panel;
}

QWidget* TObjDefF::buildProgramPage() {
  auto* page = new QWidget(m_notebook);
  auto* layout = new QGridLayout(page);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Ausführungsintervall :"), page));
  m_interval = new QComboBox(page);
  m_interval->setObjectName(QStringLiteral("ACodeCB"));
  m_interval->addItems({QString(), QStringLiteral("permanent"), QStringLiteral("alle 5 Sekunden"),
                        QStringLiteral("jede Minute"), QStringLiteral("jede volle Stunde"),
                        QStringLiteral("bei Tageswechsel")});
  top->addWidget(m_interval);
  m_executeOnReceive = new QCheckBox(QStringLiteral("Ausführung bei Empfang"), page);
  m_executeOnReceive->setObjectName(QStringLiteral("ExtActivCB"));
  top->addWidget(m_executeOnReceive);
  top->addStretch();
  layout->addLayout(top, 0, 0, 1, 2);

  layout->addWidget(new QLabel(QStringLiteral("Variablendefinition :"), page), 1, 0);
  m_variables = new QTableWidget(0, 3, page);
  m_variables->setObjectName(QStringLiteral("VarGrid"));
  m_variables->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Typ"), QStringLiteral("Startwert")});
  m_variables->horizontalHeader()->setStretchLastSection(true);
  m_variables->setMaximumHeight(130);
  connect(m_variables, &QTableWidget::currentCellChanged, this, &TObjDefF::variableCellChanged);
  connect(m_variables, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    // Typing a name into the last row opens a new one below it.
    if (m_filling || item->column() != 0 || item->row() != m_variables->rowCount() - 1 || item->text().trimmed().isEmpty())
      return;
    m_variables->insertRow(m_variables->rowCount());
  });
  layout->addWidget(m_variables, 2, 0);
  auto* deleteVar = new QPushButton(QStringLiteral("&Löschen"), page);
  deleteVar->setObjectName(QStringLiteral("VarDelBtn"));
  connect(deleteVar, &QPushButton::clicked, this, &TObjDefF::deleteVariableRow);
  layout->addWidget(deleteVar, 2, 1, Qt::AlignTop);

  m_programArea = new QStackedWidget(page);
  m_program = new QPlainTextEdit(m_programArea);
  m_program->setObjectName(QStringLiteral("AnwMBox"));
  m_program->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_program->viewport()->installEventFilter(this);
  m_programArea->addWidget(m_program);
  auto* autoPage = new QWidget(m_programArea);
  auto* autoLayout = new QVBoxLayout(autoPage);
  autoLayout->setContentsMargins(0, 0, 0, 0);
  m_autoList = new QListWidget(autoPage);
  m_autoList->setObjectName(QStringLiteral("AutoAnwLB"));
  m_autoList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  autoLayout->addWidget(m_autoList);
  auto* autoButtons = new QHBoxLayout;
  auto* autoDelete = new QPushButton(QStringLiteral("&Löschen"), autoPage);
  autoDelete->setObjectName(QStringLiteral("AutoDelBtn"));
  auto* autoConvert = new QPushButton(QStringLiteral("Umw. in manuelle Anw."), autoPage);
  autoConvert->setObjectName(QStringLiteral("AutoConvBtn"));
  connect(autoDelete, &QPushButton::clicked, this, &TObjDefF::deleteAutoStatements);
  connect(autoConvert, &QPushButton::clicked, this, &TObjDefF::convertAutoStatements);
  auto* switchingTimes = new QPushButton(QStringLiteral("&Schaltzeiten..."), autoPage);
  switchingTimes->setObjectName(QStringLiteral("STimesBtn"));
  auto* actions = new QPushButton(QStringLiteral("&Funktionen definieren..."), autoPage);
  actions->setObjectName(QStringLiteral("AppFormBtn"));
  connect(switchingTimes, &QPushButton::clicked, this, &TObjDefF::openSwitchingTimes);
  connect(actions, &QPushButton::clicked, this, &TObjDefF::openActions);
  autoButtons->addWidget(autoDelete);
  autoButtons->addWidget(autoConvert);
  autoButtons->addWidget(switchingTimes);
  autoButtons->addWidget(actions);
  autoButtons->addStretch();
  autoLayout->addLayout(autoButtons);
  m_programArea->addWidget(autoPage);
  layout->addWidget(m_programArea, 3, 0);

  // Insert lists beside the program, shown on demand.
  auto* side = new QVBoxLayout;
  auto* objectVarsButton = new QPushButton(QStringLiteral("Objekte/Var."), page);
  objectVarsButton->setObjectName(QStringLiteral("ObjVarBtn"));
  auto* keywordsButton = new QPushButton(QStringLiteral("Anweisung"), page);
  keywordsButton->setObjectName(QStringLiteral("AnweisBtn"));
  m_objectVars = new QListWidget(page);
  m_objectVars->setObjectName(QStringLiteral("ObjVarLB"));
  m_keywords = new QListWidget(page);
  m_keywords->setObjectName(QStringLiteral("AnweisLB"));
  for (const auto& word : statementKeywords()) m_keywords->addItem(toQ(word));
  m_objectVars->hide();
  m_keywords->hide();
  connect(objectVarsButton, &QPushButton::clicked, this, [this] {
    readVariableGrid();
    m_objectVars->clear();
    for (const auto& entry : m_editor->objectVariableList()) m_objectVars->addItem(toQ(entry));
    m_keywords->hide();
    m_objectVars->show();
  });
  connect(keywordsButton, &QPushButton::clicked, this, [this] {
    m_objectVars->hide();
    m_keywords->show();
  });
  connect(m_objectVars, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { insertIntoProgram(item->text()); });
  connect(m_keywords, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { insertIntoProgram(item->text()); });
  m_autoButton = new QPushButton(kAutoCaption, page);
  m_autoButton->setObjectName(QStringLiteral("AutoAnwBtn"));
  connect(m_autoButton, &QPushButton::clicked, this, [this] {
    m_editor->fields().showAutoStatements = !m_editor->fields().showAutoStatements;
    showProgramArea();
  });
  auto* condition = new QPushButton(QStringLiteral("&wenn-Bedingung einfügen"), page);
  condition->setObjectName(QStringLiteral("CondBtn"));
  condition->setToolTip(QStringLiteral("Setzt die markierten Auto-Anweisungen unter eine Bedingung"));
  connect(condition, &QPushButton::clicked, this, &TObjDefF::insertCondition);
  side->addWidget(objectVarsButton);
  side->addWidget(keywordsButton);
  side->addWidget(m_objectVars);
  side->addWidget(m_keywords);
  side->addWidget(m_autoButton);
  side->addWidget(condition);
  side->addStretch();
  layout->addLayout(side, 3, 1);

  m_error = new QLabel(page);
  m_error->setObjectName(QStringLiteral("PgmErrLb"));
  m_error->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
  m_error->hide();
  layout->addWidget(m_error, 4, 0, 1, 2);
  return page;
}

QWidget* TObjDefF::buildHardwarePage() {
  auto* page = new QWidget(m_notebook);
  auto* layout = new QGridLayout(page);
  auto* form = new QFormLayout;
  m_group = new QComboBox(page);
  m_group->setObjectName(QStringLiteral("GroupCB"));
  m_group->setEditable(true);
  form->addRow(QStringLiteral("Schaltgruppe Offline"), m_group);
  layout->addLayout(form, 0, 0, 1, 2);

  layout->addWidget(radioGroup(QStringLiteral("Hardware ist"), QStringLiteral("HdwTypRB"),
                               {QStringLiteral("Sensor"), QStringLiteral("Aktor"), QStringLiteral("Ein/Ausgabe"),
                                QStringLiteral("Keine Ein/Ausgabe")},
                               m_hardwareRole, page),
                    1, 0);
  connect(m_hardwareRole, &QButtonGroup::idClicked, this, [this](int id) {
    m_editor->fields().receiveDevice = fromQ(m_receive->currentText());
    m_editor->fields().sendDevice = fromQ(m_send->currentText());
    m_editor->setHardwareRole(id);
    // The editor empties the choice it hides.
    m_receive->setEditText(toQ(m_editor->fields().receiveDevice));
    m_send->setEditText(toQ(m_editor->fields().sendDevice));
    showHardwareChoices();
  });

  auto* devices = new QGridLayout;
  m_receiveLabel = new QLabel(QStringLiteral("Eingabe von"), page);
  m_receive = new QComboBox(page);
  m_receive->setObjectName(QStringLiteral("RcvDevCB"));
  m_receive->setEditable(true);
  m_sendLabel = new QLabel(QStringLiteral("Ausgabe an"), page);
  m_send = new QComboBox(page);
  m_send->setObjectName(QStringLiteral("SndDevCB"));
  m_send->setEditable(true);
  m_acknowledge = new QCheckBox(QStringLiteral("Bestätigung anfordern"), page);
  m_acknowledge->setObjectName(QStringLiteral("RckMsgCB"));
  devices->addWidget(m_receiveLabel, 0, 0);
  devices->addWidget(m_receive, 0, 1);
  devices->addWidget(m_sendLabel, 1, 0);
  devices->addWidget(m_send, 1, 1);
  devices->addWidget(m_acknowledge, 2, 1);
  devices->setRowStretch(3, 1);
  layout->addLayout(devices, 1, 1);

  m_extTrans = new QCheckBox(QStringLiteral("Datenkonvertierung für Hardware"), page);
  m_extTrans->setObjectName(QStringLiteral("ExtTransCB"));
  layout->addWidget(m_extTrans, 2, 0, 1, 2);
  m_conversion = new QTableWidget(0, 2, page);
  m_conversion->setObjectName(QStringLiteral("ExtTransGrid"));
  m_conversion->setHorizontalHeaderLabels({QStringLiteral("Zustand"), QStringLiteral("Num.Wert")});
  m_conversion->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(m_conversion, 3, 0, 1, 2);
  connect(m_extTrans, &QCheckBox::toggled, this, [this](bool ticked) {
    m_editor->fields().extTrans = ticked;
    m_conversion->setVisible(m_editor->conversionGridVisible());
  });
  layout->setRowStretch(3, 1);
  return page;
}

void TObjDefF::fillControls() {
  m_filling = true;
  const ObjectEditorFields& f = m_editor->fields();
  m_title->setText(toQ(m_editor->objectName()));

  m_type->clear();
  m_type->addItems(toQList(m_editor->typeChoices()));
  setComboText(m_type, toQ(f.type));
  m_label->setText(toQ(f.label));
  m_startText->setText(toQ(f.startText));
  m_objectId->setText(toQ(f.objectId));
  m_objectId->setModified(false);
  m_voice->setText(toQ(f.voiceControl));
  m_actionMenu->setChecked(f.inActionMenu);
  m_deactivate->setChecked(f.deactivateAtStart);
  m_invisible->setChecked(f.invisibleAtStart);
  m_beep->setChecked(f.beep);
  m_inputExec->setChecked(f.inputExec);
  m_autoSize->setChecked(f.autoSize);
  m_stretch->setChecked(f.stretch);
  checkRadio(m_screenInput, f.screenInput);
  fillViewList();
  checkRadio(m_outputForm, f.outputForm);
  m_gaugeFrom->setValue(f.gaugeFrom);
  m_gaugeTo->setValue(f.gaugeTo);
  m_gaugeColor->setCurrentIndex(f.gaugeColor >= 0 && f.gaugeColor < m_gaugeColor->count() ? f.gaugeColor : -1);
  checkRadio(m_valueDisplay, f.valueDisplay);
  checkRadio(m_gaugeDirection, f.gaugeDirection);
  m_panelChars->setValue(f.panelChars);
  m_panelRows->setValue(f.panelRows);
  checkRadio(m_noBitmap, f.noBitmap);
  fillStates();

  m_interval->setCurrentIndex(f.interval);
  writeVariableGrid();
  m_program->setPlainText(toQText(f.programLines));
  fillAutoList();
  m_executeOnReceive->setChecked(f.executeOnReceive);

  m_group->clear();
  m_group->addItem(QString());
  m_group->addItems(toQList(m_context.workspace.project.groupNames));
  m_group->setEditText(toQ(f.group));
  m_extTrans->setChecked(f.extTrans);
  fillConversionGrid();
  checkRadio(m_hardwareRole, f.hardwareRole);
  // The station connections that carry a name; addressing itself belongs to the stations.
  const QStringList devices = toQList(m_editor->deviceChoices());
  m_receive->clear();
  m_receive->addItems(devices);
  m_receive->setEditText(toQ(f.receiveDevice));
  m_send->clear();
  m_send->addItems(devices);
  m_send->setEditText(toQ(f.sendDevice));
  m_acknowledge->setChecked(f.acknowledge);

  showKindPanels();
  showBarPanel();
  showHardwareChoices();
  m_filling = false;
}

void TObjDefF::showKindPanels() {
  m_numberPanel->setVisible(m_editor->numberPanelVisible());
  m_textPanel->setVisible(m_editor->textPanelVisible());
  m_statesPanel->setVisible(m_editor->statesPanelVisible());
  const bool states = m_editor->statesPanelVisible();
  m_startText->setVisible(!states);
  m_startState->setVisible(states);
}

void TObjDefF::fillStates() {
  const ObjectEditorFields& f = m_editor->fields();
  const QStringList states = toQList(m_editor->stateNames());
  m_states->clear();
  m_states->addItems(states);
  m_startState->clear();
  m_startState->addItems(states);
  m_startState->setCurrentIndex(m_startState->findText(toQ(f.startState)));
  m_preview->clear();
}

void TObjDefF::fillViewList() {
  const int row = m_views->currentRow();
  m_views->clear();
  m_views->addItems(toQList(m_editor->viewListEntries()));
  if (row >= 0 && row < m_views->count()) m_views->setCurrentRow(row);
  showViewButton();
}

void TObjDefF::showViewButton() {
  const int row = m_views->currentRow();
  m_viewButton->setText(row < 0 ? QStringLiteral("Ansicht wählen") : toQ(m_editor->viewButtonCaption(row)));
}

void TObjDefF::fillConversionGrid() {
  const auto& rows = m_editor->fields().conversion;
  m_conversion->setRowCount(static_cast<int>(rows.size()));
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    auto* state = new QTableWidgetItem(toQ(rows[static_cast<std::size_t>(i)].state));
    state->setFlags(state->flags() & ~Qt::ItemIsEditable);
    m_conversion->setItem(i, 0, state);
    m_conversion->setItem(i, 1, new QTableWidgetItem(toQ(rows[static_cast<std::size_t>(i)].value)));
  }
  m_conversion->setVisible(m_editor->conversionGridVisible());
}

void TObjDefF::fillAutoList() {
  m_autoList->clear();
  m_autoList->addItems(toQList(m_editor->fields().autoStatements));
}

void TObjDefF::showBarPanel() {
  m_barPanel->setVisible(m_editor->barPanelVisible());
  m_valueBox->setVisible(m_editor->valueChoiceVisible());
}

void TObjDefF::showHardwareChoices() {
  const bool receive = m_editor->receiveDeviceVisible();
  const bool send = m_editor->sendDeviceVisible();
  m_receiveLabel->setVisible(receive);
  m_receive->setVisible(receive);
  m_sendLabel->setVisible(send);
  m_send->setVisible(send);
}

void TObjDefF::showProgramArea() {
  const bool autoShown = m_editor->fields().showAutoStatements;
  m_programArea->setCurrentIndex(autoShown ? 1 : 0);
  m_autoButton->setText(autoShown ? kProgramCaption : kAutoCaption);
}

void TObjDefF::selectErrorLine() {
  const EditorLine line = m_editor->fields().errorLine;
  if (line.area == EditorLine::Area::Program) {
    const QTextBlock block = m_program->document()->findBlockByNumber(line.index);
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    m_program->setTextCursor(cursor);
    m_program->setFocus();
  } else if (line.area == EditorLine::Area::Auto && line.index < m_autoList->count()) {
    m_autoList->setCurrentRow(line.index);
    m_autoList->setFocus();
  }
}

void TObjDefF::previewState(int state) {
  m_preview->clear();
  const std::string file = m_editor->stateBitmapFile(state);
  if (file.empty()) return;
  const QString path = toQ(file);
  QPixmap pixmap;
  if (QFileInfo::exists(path) && pixmap.load(path)) {
    m_preview->setPixmap(pixmap.scaled(m_preview->size(), Qt::KeepAspectRatio));
  } else {
    m_preview->setText(path + QStringLiteral(" nicht gefunden"));
  }
}

void TObjDefF::typeChosen(int index) {
  if (index < 0) return;
  m_editor->fields().startState = fromQ(m_startState->currentText());
  m_editor->chooseType(fromQ(m_type->itemText(index)));
  m_filling = true;
  fillStates();
  fillConversionGrid();
  m_extTrans->setChecked(m_editor->fields().extTrans);
  checkRadio(m_hardwareRole, m_editor->fields().hardwareRole);
  m_filling = false;
  showKindPanels();
  showHardwareChoices();
}

void TObjDefF::objectIdLeft() {
  if (!m_objectId->isModified()) return;
  m_editor->fields().objectId = fromQ(m_objectId->text());
  if (m_editor->leaveObjectId(m_context.ui)) {
    m_objectId->setModified(false);
    return;
  }
  // The field keeps the focus until the entry is acceptable.
  QTimer::singleShot(0, m_objectId, [this] {
    m_notebook->setCurrentIndex(kTypePage);
    m_objectId->setFocus();
    m_objectId->selectAll();
  });
}

void TObjDefF::viewToggled(int row) {
  if (row < 0) return;
  m_editor->toggleView(m_context.ui, row);
  fillViewList();
  m_views->setCurrentRow(row);
}

void TObjDefF::pageChanging(int index) {
  if (index == m_currentPage) return;
  if (!m_editor->pageAllowed(m_context.ui, static_cast<EditorPage>(index))) {
    const QSignalBlocker block(m_notebook);
    m_notebook->setCurrentIndex(m_currentPage);
    return;
  }
  m_currentPage = index;
}

void TObjDefF::chooseBitmap() {
  const int state = m_states->currentRow();
  if (state < 0) return;
  const std::string current = m_editor->stateBitmapFile(state);
  const std::string directory = current.empty() ? m_context.workspace.settings().DIRBMP : current;
  auto file = m_context.ui.openFileName("", "Bitmap-Bilder (*.BMP *.bmp)", directory);
  if (!file || file->empty()) return;
  // A name typed without extension is a bitmap.
  if (QFileInfo(toQ(*file)).suffix().isEmpty()) *file += ".BMP";
  m_editor->chooseStateBitmap(state, *file);
  previewState(state);
}

void TObjDefF::removeBitmap() {
  const int state = m_states->currentRow();
  if (state < 0) return;
  m_editor->removeStateBitmap(state);
  previewState(state);
}

void TObjDefF::deleteAutoStatements() {
  std::vector<int> selected;
  for (const QModelIndex& index : m_autoList->selectionModel()->selectedRows()) selected.push_back(index.row());
  if (m_editor->deleteAutoStatements(m_context.ui, selected)) fillAutoList();
}

void TObjDefF::convertAutoStatements() {
  std::vector<int> selected;
  for (const QModelIndex& index : m_autoList->selectionModel()->selectedRows()) selected.push_back(index.row());
  auto& lines = m_editor->fields().programLines;
  lines.clear();
  for (const QString& line : m_program->toPlainText().split(QLatin1Char('\n'))) lines.push_back(fromQ(line));
  if (!m_editor->convertAutoStatements(m_context.ui, selected)) return;
  fillAutoList();
  m_program->setPlainText(toQText(lines));
}

std::vector<std::string> TObjDefF::generatedProgram() const {
  // The assistants open on the object's program as it would be stored; only its generated
  // lines matter to them, and those are the editor's, not yet the object's.
  std::vector<std::string> program;
  for (const auto& line : m_editor->fields().autoStatements) program.push_back("-&" + line);
  return program;
}

void TObjDefF::showGenerated(std::vector<std::string> program) {
  m_editor->fields().autoStatements = takeGeneratedLines(program);
  m_editor->fields().showAutoStatements = true;
  fillAutoList();
  showProgramArea();
}

void TObjDefF::openSwitchingTimes() {
  auto& f = m_editor->fields();
  const SwitchTimesKind kind = f.typeClass == kTypeClassShutter ? SwitchTimesKind::Shutter : SwitchTimesKind::Switchable;
  TSTimesF window(m_editor->project(), m_context.ui, m_editor->objectName(), kind, generatedProgram(), this);
  window.showHelp = m_context.showHelp;
  if (window.exec() != QDialog::Accepted) return;
  std::vector<std::string> program = generatedProgram();
  f.interval = m_interval->currentIndex();
  std::uint8_t acode = kIntervalCodes[static_cast<std::size_t>(std::clamp(f.interval, 0, 5))];
  window.assistant().apply(program, acode);
  for (std::size_t i = 0; i < kIntervalCodes.size(); ++i)
    if (kIntervalCodes[i] == acode) f.interval = static_cast<int>(i);
  m_interval->setCurrentIndex(f.interval);
  showGenerated(std::move(program));
}

void TObjDefF::openActions() {
  TAppFormF window(m_editor->project(), m_context.ui, m_editor->objectName(), {}, generatedProgram(),
                   toQ(m_editor->objectName()), {}, this);
  window.showHelp = m_context.showHelp;
  if (window.exec() != QDialog::Accepted) return;
  std::vector<std::string> program = generatedProgram();
  window.applyTo(program);
  showGenerated(std::move(program));
}

void TObjDefF::insertCondition() {
  // The condition goes around generated statements: they carry the block headers whose counts
  // it keeps, which typed program lines do not have.
  StatementList list(m_editor->fields().autoStatements);
  std::vector<int> selected;
  for (const QModelIndex& index : m_autoList->selectionModel()->selectedRows()) selected.push_back(index.row());
  std::sort(selected.begin(), selected.end());
  if (!m_editor->fields().showAutoStatements) selected.clear();
  list.select(selected);
  if (selected.empty()) {
    // Shows the generated statements to choose from; the list tells that nothing was chosen.
    m_editor->fields().showAutoStatements = true;
    showProgramArea();
  }
  const auto ask = [&](const std::vector<std::string>& lines) {
    return TCondiF::ask(m_editor->project(), m_context.ui, lines, this, m_context.showHelp);
  };
  if (!list.insertCondition(m_context.ui, ask)) return;
  showGenerated([&] {
    std::vector<std::string> program;
    for (const auto& line : list.lines()) program.push_back("-&" + line);
    return program;
  }());
}

void TObjDefF::insertIntoProgram(const QString& text) {
  m_program->textCursor().insertText(text);
  m_program->setFocus();
}

bool TObjDefF::eventFilter(QObject* watched, QEvent* event) {
  // A click into the program box puts the insert lists away.
  if (watched == m_program->viewport() && event->type() == QEvent::MouseButtonPress) {
    m_objectVars->hide();
    m_keywords->hide();
  }
  return QDialog::eventFilter(watched, event);
}

void TObjDefF::keyPressEvent(QKeyEvent* event) {
  // Enter finishes a field but never closes the whole editor; OK is a deliberate click.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TObjDefF::variableCellChanged(int row, int column, int /*previousRow*/, int /*previousColumn*/) {
  commitVariableChoice();
  if (row < 0) return;
  QStringList choices;
  QString current = m_variables->item(row, column) ? m_variables->item(row, column)->text() : QString();
  if (column == 1) {
    choices = toQList(m_editor->variableTypeChoices());
  } else if (column == 2) {
    readVariableGrid();
    if (!m_editor->startIsStateChoice(row)) return;
    choices = toQList(m_editor->statesOfType(m_editor->fields().variables[static_cast<std::size_t>(row)].type));
  } else {
    return;
  }
  m_cellChoice = new QComboBox(m_variables);
  m_cellChoice->setObjectName(column == 1 ? QStringLiteral("VarTypCB") : QStringLiteral("VarZustCB"));
  m_cellChoice->addItems(choices);
  m_cellChoice->setCurrentIndex(m_cellChoice->findText(current));
  m_choiceRow = row;
  m_choiceColumn = column;
  m_variables->setCellWidget(row, column, m_cellChoice);
}

void TObjDefF::commitVariableChoice() {
  if (!m_cellChoice) return;
  const int row = m_choiceRow, column = m_choiceColumn;
  const QString text = m_cellChoice->currentText();
  m_cellChoice = nullptr;
  m_choiceRow = m_choiceColumn = -1;
  m_variables->removeCellWidget(row, column);  // deletes the choice
  if (row >= m_variables->rowCount()) return;
  readVariableGrid();
  if (column == 1) m_editor->setVariableType(row, fromQ(text));
  else m_editor->fields().variables[static_cast<std::size_t>(row)].start = fromQ(text);
  writeVariableGrid();
}

void TObjDefF::readVariableGrid() {
  auto& rows = m_editor->fields().variables;
  rows.clear();
  for (int r = 0; r < m_variables->rowCount(); ++r) {
    auto cell = [&](int c) { return m_variables->item(r, c) ? fromQ(m_variables->item(r, c)->text()) : std::string(); };
    rows.push_back({cell(0), cell(1), cell(2)});
  }
  if (rows.empty()) rows.emplace_back();
}

void TObjDefF::writeVariableGrid() {
  const bool filling = m_filling;
  m_filling = true;
  const QSignalBlocker block(m_variables);
  const auto& rows = m_editor->fields().variables;
  m_variables->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const VariableRow& v = rows[static_cast<std::size_t>(r)];
    m_variables->setItem(r, 0, new QTableWidgetItem(toQ(v.name)));
    m_variables->setItem(r, 1, new QTableWidgetItem(toQ(v.type)));
    m_variables->setItem(r, 2, new QTableWidgetItem(toQ(v.start)));
  }
  // An empty row at the end is where the next variable is typed.
  if (!rows.empty() && !rows.back().name.empty()) m_variables->insertRow(m_variables->rowCount());
  m_filling = filling;
}

void TObjDefF::deleteVariableRow() {
  const int row = m_variables->currentRow();
  commitVariableChoice();
  readVariableGrid();
  m_editor->deleteVariableRow(row);
  writeVariableGrid();
}

void TObjDefF::takeControls() {
  commitVariableChoice();
  readVariableGrid();
  ObjectEditorFields& f = m_editor->fields();
  f.label = fromQ(m_label->text());
  if (f.kind == kKindUser) f.startState = fromQ(m_startState->currentText());
  else f.startText = fromQ(m_startText->text());
  f.objectId = fromQ(m_objectId->text());
  f.voiceControl = fromQ(m_voice->text());
  f.inActionMenu = m_actionMenu->isChecked();
  f.deactivateAtStart = m_deactivate->isChecked();
  f.invisibleAtStart = m_invisible->isChecked();
  f.beep = m_beep->isChecked();
  f.inputExec = m_inputExec->isChecked();
  f.autoSize = m_autoSize->isChecked();
  f.stretch = m_stretch->isChecked();
  f.screenInput = m_screenInput->checkedId() < 0 ? f.screenInput : m_screenInput->checkedId();
  f.outputForm = m_outputForm->checkedId() < 0 ? f.outputForm : m_outputForm->checkedId();
  f.valueDisplay = m_valueDisplay->checkedId() < 0 ? f.valueDisplay : m_valueDisplay->checkedId();
  f.gaugeDirection = m_gaugeDirection->checkedId() < 0 ? f.gaugeDirection : m_gaugeDirection->checkedId();
  f.gaugeFrom = m_gaugeFrom->value();
  f.gaugeTo = m_gaugeTo->value();
  f.gaugeColor = m_gaugeColor->currentIndex() < 0 ? f.gaugeColor : m_gaugeColor->currentIndex();
  f.panelChars = m_panelChars->value();
  f.panelRows = m_panelRows->value();
  f.noBitmap = m_noBitmap->checkedId() < 0 ? f.noBitmap : m_noBitmap->checkedId();

  f.interval = m_interval->currentIndex();
  f.programLines.clear();
  for (const QString& line : m_program->toPlainText().split(QLatin1Char('\n'))) f.programLines.push_back(fromQ(line));
  f.executeOnReceive = m_executeOnReceive->isChecked();

  f.group = fromQ(m_group->currentText());
  f.extTrans = m_extTrans->isChecked();
  for (int r = 0; r < m_conversion->rowCount() && r < static_cast<int>(f.conversion.size()); ++r)
    f.conversion[static_cast<std::size_t>(r)].value = m_conversion->item(r, 1) ? fromQ(m_conversion->item(r, 1)->text()) : std::string();
  if (m_hardwareRole->checkedId() >= 0) f.hardwareRole = m_hardwareRole->checkedId();
  f.receiveDevice = fromQ(m_receive->currentText());
  f.sendDevice = fromQ(m_send->currentText());
  f.acknowledge = m_acknowledge->isChecked();
}

void TObjDefF::accept() {
  takeControls();
  if (!m_editor->accept(m_context.ui)) {
    m_notebook->setCurrentIndex(kTypePage);
    m_objectId->setFocus();
    return;
  }
  QDialog::accept();
}

void TObjDefF::reject() {
  m_editor->cancel();
  QDialog::reject();
}

}  // namespace kelvaro::gui
