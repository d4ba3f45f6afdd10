// The page "Ansichten": its controls and their commands.
#include "pages/views_page.h"

#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>
#include <utility>

#include "double_click_label.h"
#include "model/colors.h"
#include "qt_text.h"

namespace kelvaro::gui {

namespace {

QString fileName(const std::string& path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

bool startDetached(const std::string& program, const std::vector<std::string>& arguments) {
  QStringList args;
  for (const auto& argument : arguments) args << fileName(argument);
  return QProcess::startDetached(fileName(program), args);
}

}  // namespace

ViewsPage::ViewsPage(MainContext& context, QWidget* parent) : MainPage(context, parent), m_starter(startDetached) {
  setObjectName(QStringLiteral("AnsichtenPage"));
  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("AnsichtLB"));
  m_list->setMinimumWidth(160);

  m_preview = new DoubleClickLabel([this] { editClicked(); }, this);
  m_preview->setObjectName(QStringLiteral("Vorschau"));
  m_preview->setAlignment(Qt::AlignCenter);
  m_preview->setMinimumSize(300, 200);
  m_preview->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  m_preview->setToolTip(QStringLiteral("Doppelklick: Ansicht bearbeiten"));

  m_showName = new QLabel(this);
  m_showName->setObjectName(QStringLiteral("ShowName"));

  m_backColor = new QComboBox(this);
  m_backColor->setObjectName(QStringLiteral("FormBCol"));
  for (std::size_t i = 0; i < kBackColorCount; ++i) m_backColor->addItem(toQ(kColorNames[i]));

  struct Button {
    const char* objectName;
    QString text;
    void (ViewsPage::*slot)();
  };
  const Button buttons[] = {
      {"AnsNeuBtn", QStringLiteral("&Neu"), &ViewsPage::newClicked},
      {"BildAussuchenBtn", QStringLiteral("&Bild aussuchen"), &ViewsPage::chooseBitmapClicked},
      {"AnsLoeschenBtn", QStringLiteral("&Löschen"), &ViewsPage::deleteClicked},
      {"AnsBearbeitenBtn", QStringLiteral("&Ansicht bearbeiten"), &ViewsPage::editClicked},
      {"AnsUmbenennenBtn", QStringLiteral("&Umbenennen"), &ViewsPage::renameClicked},
      {"BildZeichnenBtn", QStringLiteral("Bild &zeichnen"), &ViewsPage::drawClicked},
      {"BildEntfernenBtn", QStringLiteral("Bild &entfernen"), &ViewsPage::removeBitmapClicked},
  };
  auto* buttonColumn = new QVBoxLayout();
  for (const auto& b : buttons) {
    auto* button = new QPushButton(b.text, this);
    button->setObjectName(QString::fromLatin1(b.objectName));
    connect(button, &QPushButton::clicked, this, b.slot);
    buttonColumn->addWidget(button);
    if (b.slot == &ViewsPage::editClicked) m_editButton = button;
  }
  buttonColumn->addStretch(1);

  auto* colourRow = new QHBoxLayout();
  colourRow->addWidget(new QLabel(QStringLiteral("Hintergrundfarbe:"), this));
  colourRow->addWidget(m_backColor);
  colourRow->addStretch(1);

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("Ansichten:"), this), 0, 0);
  grid->addWidget(m_list, 1, 0, 2, 1);
  grid->addWidget(m_preview, 1, 1);
  grid->addWidget(m_showName, 2, 1);
  grid->addLayout(buttonColumn, 1, 2, 2, 1);
  grid->addLayout(colourRow, 3, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(1, 1);

  connect(m_list, &QListWidget::currentRowChanged, this, &ViewsPage::rowChanged);
  connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { chooseBitmapClicked(); });
  connect(m_backColor, &QComboBox::activated, this, &ViewsPage::backColorChosen);
}

void ViewsPage::refresh() {
  fillList();
  // Showing the page again does not repeat the message about a missing bitmap; selecting
  // the view does.
  showSelected(false);
}

void ViewsPage::fillList() {
  m_filling = true;
  m_list->clear();
  for (const auto& view : project().views) m_list->addItem(toQ(view.name));
  int& selected = workspace().app.selectedView;
  if (selected >= m_list->count()) selected = -1;
  m_list->setCurrentRow(selected);
  m_backColor->setCurrentIndex(project().BackColor >= 0 && project().BackColor < m_backColor->count()
                                   ? project().BackColor
                                   : -1);
  m_editButton->setEnabled(!project().views.empty());
  m_filling = false;
}

void ViewsPage::rowChanged(int row) {
  if (m_filling) return;
  workspace().app.selectedView = row;
  showSelected(true);
}

void ViewsPage::showSelected(bool report) {
  const ViewPreview preview = selectView(workspace(), workspace().app.selectedView, report ? &ui() : nullptr);
  m_showName->setText(toQ(preview.label));
  QPixmap pixmap;
  if (!preview.path.empty()) pixmap.load(fileName(preview.path));
  if (pixmap.isNull()) {
    m_preview->clear();
    return;
  }
  const QSize room = m_preview->contentsRect().size();
  if (room.width() > 0 && room.height() > 0 && (pixmap.width() > room.width() || pixmap.height() > room.height()))
    pixmap = pixmap.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  m_preview->setPixmap(pixmap);
}

bool ViewsPage::event(QEvent* e) {
  // The drawing program runs on its own; what it saved is shown when the user comes back.
  if ((e->type() == QEvent::ActivationChange || e->type() == QEvent::WindowActivate || e->type() == QEvent::Paint) &&
      workspace().reloadPreview) {
    workspace().reloadPreview = false;
    QTimer::singleShot(0, this, [this] { showSelected(false); });
  }
  return MainPage::event(e);
}

void ViewsPage::newClicked() {
  if (!newView(workspace(), ui())) return;
  fillList();
  showSelected(false);
}

void ViewsPage::chooseBitmapClicked() {
  const bool chosen = chooseViewBitmap(workspace(), ui());
  fillList();  // the first view may have been selected for the command
  showSelected(chosen);
}

void ViewsPage::deleteClicked() {
  const int before = static_cast<int>(project().views.size());
  deleteView(workspace(), ui());
  fillList();
  if (static_cast<int>(project().views.size()) != before) showSelected(false);
}

void ViewsPage::editClicked() {
  const int index = viewToEdit(workspace(), ui());
  fillList();
  if (index < 0) return;
  if (m_context.editViewLayout) {
    m_context.editViewLayout(index);
    refresh();
    return;
  }
  ui().showMessage({MessageKind::Information,
                    fromQ(QStringLiteral("Die Bearbeitung der Ansichten folgt in einer späteren Version.")),
                    MessageButtons::Ok});
}

void ViewsPage::renameClicked() {
  if (!renameView(workspace(), ui())) return;
  fillList();
}

void ViewsPage::drawClicked() {
  DrawEnvironment environment;
  environment.start = m_starter;
  if (drawViewBitmap(workspace(), ui(), environment)) {
    fillList();
    showSelected(false);
  }
}

void ViewsPage::removeBitmapClicked() {
  if (viewForCommand(workspace(), ui(), false) < 0) return;
  removeViewBitmap(workspace(), ui());
  showSelected(false);
}

void ViewsPage::backColorChosen(int index) { setBackColor(project(), index); }

}  // namespace kelvaro::gui
