// The dialog "Typ bearbeiten".
#include "type_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "qt_text.h"
#include "screen_fit.h"

namespace kelvaro::gui {

TypeEditDialog::TypeEditDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TypDlg"));
  setWindowTitle(QStringLiteral("Typ bearbeiten"));
  keepOnScreen(this);

  m_name = new QLineEdit(this);
  m_name->setObjectName(QStringLiteral("BezEdit"));
  auto* nameForm = new QFormLayout;
  nameForm->addRow(QStringLiteral("Bezeichnung"), m_name);

  auto* kindBox = new QGroupBox(QStringLiteral("Art des Typs"), this);
  kindBox->setObjectName(QStringLiteral("ArtRG"));
  auto* kindLayout = new QVBoxLayout(kindBox);
  m_kinds = new QButtonGroup(this);
  const QString captions[] = {QStringLiteral("Sensor"), QStringLiteral("Aktor"), QStringLiteral("Ein-/Ausgabe"),
                              QStringLiteral("Keine Ein-/Ausgabe")};
  for (int kind = kTypeKindSensor; kind <= kTypeKindNoInOut; ++kind) {
    auto* button = new QRadioButton(captions[kind], kindBox);
    button->setObjectName(QStringLiteral("ArtRB%1").arg(kind));
    m_kinds->addButton(button, kind);
    kindLayout->addWidget(button);
  }
  m_kinds->button(kTypeKindInOut)->setChecked(true);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(nameForm);
  layout->addWidget(kindBox);
  layout->addWidget(buttons);
}

void TypeEditDialog::setDefinition(const TypeDefinition& definition) {
  m_name->setText(toQ(definition.name));
  // An exclusive group cannot be emptied by unchecking, so exclusivity is lifted briefly.
  m_kinds->setExclusive(false);
  for (QAbstractButton* button : m_kinds->buttons()) button->setChecked(m_kinds->id(button) == definition.kind);
  m_kinds->setExclusive(true);
}

TypeDefinition TypeEditDialog::definition() const {
  return {fromQ(m_name->text()), m_kinds->checkedId() >= 0 ? m_kinds->checkedId() : kTypeKindNone};
}

std::optional<TypeDefinition> runTypeDialog(const TypeDefinition& initial, QWidget* parent) {
  TypeEditDialog dialog(parent);
  dialog.setDefinition(initial);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.definition();
}

}  // namespace kelvaro::gui
