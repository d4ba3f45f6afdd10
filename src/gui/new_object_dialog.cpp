// The new-object dialog: the fields and their checks; the object is made by the core.
#include "new_object_dialog.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "app/object_commands.h"
#include "qt_text.h"
#include "screen_fit.h"

namespace kelvaro::gui {

TNewObjF::TNewObjF(MainContext& context, NewObjectRequest request, QWidget* parent)
    : QDialog(parent), m_context(context), m_request(std::move(request)) {
  setObjectName(QStringLiteral("NewObjF"));
  setWindowTitle(QStringLiteral("Neues Objekt anlegen"));
  keepOnScreen(this);
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("Name"), this), 0, 0);
  m_name = new QLineEdit(this);
  m_name->setObjectName(QStringLiteral("NameEd"));
  grid->addWidget(m_name, 1, 0);
  grid->addWidget(new QLabel(QStringLiteral("ohne Leer- und Sonder-\nzeichen (ä,ö,ü usw.)"), this), 2, 0);
  grid->addWidget(new QLabel(QStringLiteral("Bezeichnung"), this), 3, 0);
  m_label = new QLineEdit(this);
  m_label->setObjectName(QStringLiteral("BezEd"));
  grid->addWidget(m_label, 4, 0);
  grid->addWidget(new QLabel(QStringLiteral("Wennn keine Bezeichnung ein-\ngegeben wird, wird der Name\nverwendet."), this),
                  5, 0);
  grid->addWidget(new QLabel(QStringLiteral("Typ"), this), 0, 1);
  m_types = new QListWidget(this);
  m_types->setObjectName(QStringLiteral("TypLB"));
  m_types->addItems(toQList(newObjectTypeChoices(context.workspace.project)));
  grid->addWidget(m_types, 1, 1, 5, 1);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("OKBtn"));
  buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &TNewObjF::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  grid->addWidget(buttons, 6, 0, 1, 2);
  connect(m_name, &QLineEdit::editingFinished, this, &TNewObjF::nameLeft);
}

void TNewObjF::nameLeft() {
  // Only an edited name is checked, so that leaving the empty field for "Abbrechen" is free.
  if (!m_name->isModified()) return;
  if (leaveNewObjectName(m_context.ui, fromQ(m_name->text()))) {
    m_name->setModified(false);
    return;
  }
  QTimer::singleShot(0, m_name, [this] { m_name->setFocus(); });
}

void TNewObjF::accept() {
  NewObjectEntry entry;
  entry.name = fromQ(m_name->text());
  entry.label = fromQ(m_label->text());
  if (QListWidgetItem* item = m_types->currentItem(); item && item->isSelected()) entry.type = fromQ(item->text());
  Project& project = m_context.workspace.project;
  NewObjectHooks hooks;
  hooks.createObject = [this, &project](std::string_view name) { return createNamedObject(project, m_context.ui, name); };
  hooks.textWidth = [this](std::string_view text) {
    QFont font = this->font();
    font.setPointSize(10);
    return QFontMetrics(font).horizontalAdvance(toQ(text));
  };
  m_created = createNewObject(project, m_context.ui, m_request, entry, hooks);
  if (m_created < 0) {
    m_name->setFocus();
    return;
  }
  QDialog::accept();
}

int runNewObjectDialog(MainContext& context, const QString& view, bool sizeFromName, QWidget* parent) {
  TNewObjF dialog(context, {fromQ(view), sizeFromName}, parent);
  if (dialog.exec() != QDialog::Accepted) return -1;
  return dialog.createdObject();
}

}  // namespace kelvaro::gui
