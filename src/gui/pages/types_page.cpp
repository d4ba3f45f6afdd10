// The page "Typen": its controls and their commands. The rules live in app/type_editor;
// this page fills the lists from the page state after every command.
#include "pages/types_page.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "qt_text.h"
#include "type_dialog.h"

namespace kelvaro::gui {
namespace {

QPushButton* makeButton(const QString& text, const QString& name, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  return button;
}

constexpr int kPreviewSize = 160;

}  // namespace

TypesPage::TypesPage(MainContext& context, QWidget* parent) : MainPage(context, parent) {
  m_typeDialog = [this](const TypeDefinition& initial) { return runTypeDialog(initial, this); };
  buildControls();
}

void TypesPage::buildControls() {
  auto* typeBox = new QGroupBox(QStringLiteral("Typen"), this);
  m_types = new QListWidget(typeBox);
  m_types->setObjectName(QStringLiteral("TypBox"));
  m_types->installEventFilter(this);
  auto* newType = makeButton(QStringLiteral("&Neu"), QStringLiteral("NeuTypBtn"), typeBox);
  auto* deleteType = makeButton(QStringLiteral("&Löschen"), QStringLiteral("LoeschTypBtn"), typeBox);
  auto* editType = makeButton(QStringLiteral("Bearbeiten"), QStringLiteral("EditTypBtn"), typeBox);
  auto* library = makeButton(QStringLiteral("aus Bibliothek"), QStringLiteral("BiblTypBtn"), typeBox);
  auto* typeButtons = new QGridLayout;
  typeButtons->addWidget(newType, 0, 0);
  typeButtons->addWidget(deleteType, 0, 1);
  typeButtons->addWidget(editType, 1, 0);
  typeButtons->addWidget(library, 1, 1);
  auto* typeLayout = new QVBoxLayout(typeBox);
  typeLayout->addWidget(m_types);
  typeLayout->addLayout(typeButtons);

  auto* stateBox = new QGroupBox(QStringLiteral("Zustände"), this);
  m_states = new QListWidget(stateBox);
  m_states->setObjectName(QStringLiteral("TypZustLB"));
  m_states->installEventFilter(this);
  auto* newState = makeButton(QStringLiteral("Neu"), QStringLiteral("NeuZustBtn"), stateBox);
  auto* deleteState = makeButton(QStringLiteral("Löschen"), QStringLiteral("LoeschZustBtn"), stateBox);
  auto* bitmap = makeButton(QStringLiteral("Standard-Bitmap"), QStringLiteral("StdBmpBtn"), stateBox);
  m_removeBitmap = makeButton(QStringLiteral("Entfernen"), QStringLiteral("EntfBmpBtn"), stateBox);
  auto* up = makeButton(QStringLiteral("▲"), QStringLiteral("ZustUpBtn"), stateBox);
  auto* down = makeButton(QStringLiteral("▼"), QStringLiteral("ZustDownBtn"), stateBox);
  up->setToolTip(QStringLiteral("Zustand nach oben"));
  down->setToolTip(QStringLiteral("Zustand nach unten"));
  auto* stateButtons = new QGridLayout;
  stateButtons->addWidget(newState, 0, 0);
  stateButtons->addWidget(deleteState, 0, 1);
  stateButtons->addWidget(bitmap, 1, 0);
  stateButtons->addWidget(m_removeBitmap, 1, 1);
  auto* arrows = new QVBoxLayout;
  arrows->addStretch();
  arrows->addWidget(up);
  arrows->addWidget(down);
  arrows->addStretch();
  auto* stateRow = new QHBoxLayout;
  stateRow->addWidget(m_states);
  stateRow->addLayout(arrows);
  auto* stateLayout = new QVBoxLayout(stateBox);
  stateLayout->addLayout(stateRow);
  stateLayout->addLayout(stateButtons);

  auto* previewBox = new QGroupBox(QStringLiteral("Standard-Bitmap"), this);
  m_preview = new QLabel(previewBox);
  m_preview->setObjectName(QStringLiteral("BmpImage"));
  m_preview->setFixedSize(kPreviewSize, kPreviewSize);
  m_preview->setAlignment(Qt::AlignCenter);
  m_preview->setFrameShape(QFrame::StyledPanel);
  m_bitmapName = new QLabel(previewBox);
  m_bitmapName->setObjectName(QStringLiteral("BmpNameLbl"));
  auto* hint = new QLabel(QStringLiteral("Dieses Bitmap zeigt im Ausführungsfenster den aktuellen Objektzustand. "
                                         "Bei der Objektdefinition können wahlweise andere Bitmaps festgelegt werden."),
                          previewBox);
  hint->setObjectName(QStringLiteral("BmpHintLbl"));
  hint->setWordWrap(true);
  auto* previewLayout = new QVBoxLayout(previewBox);
  previewLayout->addWidget(m_preview, 0, Qt::AlignHCenter);
  previewLayout->addWidget(m_bitmapName);
  previewLayout->addWidget(hint);
  previewLayout->addStretch();

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(typeBox, 1);
  layout->addWidget(stateBox, 1);
  layout->addWidget(previewBox, 1);

  connect(m_types, &QListWidget::currentRowChanged, this, &TypesPage::typeChosen);
  connect(m_types, &QListWidget::itemDoubleClicked, this, [this] { editTypeClicked(); });
  connect(m_states, &QListWidget::currentRowChanged, this, &TypesPage::stateChosen);
  connect(m_states, &QListWidget::itemDoubleClicked, this, [this] { bitmapClicked(); });
  connect(newType, &QPushButton::clicked, this, &TypesPage::newTypeClicked);
  connect(deleteType, &QPushButton::clicked, this, &TypesPage::deleteTypeClicked);
  connect(editType, &QPushButton::clicked, this, &TypesPage::editTypeClicked);
  connect(library, &QPushButton::clicked, this, &TypesPage::libraryClicked);
  connect(newState, &QPushButton::clicked, this, &TypesPage::newStateClicked);
  connect(deleteState, &QPushButton::clicked, this, &TypesPage::deleteStateClicked);
  connect(bitmap, &QPushButton::clicked, this, &TypesPage::bitmapClicked);
  connect(m_removeBitmap, &QPushButton::clicked, this, &TypesPage::removeBitmapClicked);
  connect(up, &QPushButton::clicked, this, [this] { moveClicked(-1); });
  connect(down, &QPushButton::clicked, this, [this] { moveClicked(+1); });
}

void TypesPage::refresh() {
  // After open, new or add file the state list must come from the project again, or a
  // later rewrite would put stale states back.
  if (!m_state.currentType.empty() && findTypeEntry(project(), m_state.currentType) >= 0)
    selectType(m_state, project(), m_state.currentType);
  else if (!project().typeNames.empty())
    selectType(m_state, project(), project().typeNames.front());  // the page never opens blank
  else
    m_state = {};
  fillTypes();
  fillStates();
  showPreview(false);
}

void TypesPage::leavePage() { rewriteTypeStates(m_state, project()); }

bool TypesPage::eventFilter(QObject* watched, QEvent* event) {
  // Leaving the state list puts the type's states into the type-state list in their order.
  if (watched == m_states && event->type() == QEvent::FocusOut) rewriteTypeStates(m_state, project());
  // The Delete key in the type list deletes the type, like "&Löschen".
  if (watched == m_types && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    deleteTypeClicked();
    return true;
  }
  return MainPage::eventFilter(watched, event);
}

void TypesPage::fillTypes() {
  const QSignalBlocker block(m_types);
  m_types->clear();
  m_types->addItems(toQList(project().typeNames));
  const int at = m_state.currentType.empty() ? -1 : findTypeEntry(project(), m_state.currentType);
  m_types->setCurrentRow(at);
}

void TypesPage::fillStates() {
  const QSignalBlocker block(m_states);
  m_states->clear();
  for (const StateLine& line : m_state.states) m_states->addItem(toQ(line.name));
  m_states->setCurrentRow(m_state.selectedState);
}

void TypesPage::showPreview(bool report) {
  const StateLine* line = m_state.selectedState >= 0 && m_state.selectedState < static_cast<int>(m_state.states.size())
                              ? &m_state.states[static_cast<std::size_t>(m_state.selectedState)]
                              : nullptr;
  const bool hasBitmap = line && line->bitmap && !line->bitmap->BitmapName.empty();
  m_bitmapName->setText(hasBitmap ? toQ(line->bitmap->BitmapName) : QString());
  m_removeBitmap->setEnabled(hasBitmap);
  m_preview->clear();
  const auto path = statePreview(m_state, workspace().settings().DIRBMP, ui(), report, workspace().fileName);
  if (!path) return;
  const QPixmap pixmap(toQ(*path));
  if (!pixmap.isNull())
    m_preview->setPixmap(pixmap.scaled(m_preview->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void TypesPage::typeChosen(int row) {
  const auto& names = project().typeNames;
  if (row < 0 || row >= static_cast<int>(names.size())) return;
  selectType(m_state, project(), names[static_cast<std::size_t>(row)]);
  fillStates();
  showPreview(true);
}

void TypesPage::stateChosen(int row) {
  selectState(m_state, row);
  showPreview(true);
}

void TypesPage::newTypeClicked() {
  if (!newType(m_state, project(), ui(), m_typeDialog)) return;
  fillTypes();
  fillStates();
  showPreview(false);
}

void TypesPage::deleteTypeClicked() {
  if (!deleteType(m_state, project())) return;
  fillTypes();
  fillStates();
  showPreview(false);
}

void TypesPage::editTypeClicked() {
  if (!editType(m_state, project(), ui(), m_typeDialog)) return;
  fillTypes();
  fillStates();
  showPreview(false);
}

void TypesPage::libraryClicked() {
  if (!importLibrary(m_state, project(), ui(), workspace().settings().DIRDAT)) return;
  // A library may bring views, objects and constants too: every page shows the project anew.
  if (m_context.projectChanged) {
    m_context.projectChanged();
  } else {
    refresh();
  }
}

void TypesPage::newStateClicked() {
  if (!newState(m_state, project(), ui())) return;
  fillStates();
  showPreview(false);
}

void TypesPage::deleteStateClicked() {
  if (!deleteState(m_state, project())) return;
  fillStates();
  showPreview(true);
}

void TypesPage::bitmapClicked() {
  if (!chooseStandardBitmap(m_state, project(), ui(), workspace().settings().DIRBMP)) return;
  showPreview(true);
}

void TypesPage::removeBitmapClicked() {
  if (!removeStandardBitmap(m_state, project())) return;
  showPreview(false);
}

void TypesPage::moveClicked(int direction) {
  if (!moveState(m_state, project(), direction)) return;
  fillStates();
  m_states->setFocus();
}

}  // namespace kelvaro::gui
