// The dialog "Typ bearbeiten": a type's name and kind, asked for a new type and when a
// type is edited.
#pragma once

#include <QDialog>
#include <optional>

#include "app/type_editor.h"

class QButtonGroup;
class QLineEdit;

namespace kelvaro::gui {

class TypeEditDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TypeEditDialog(QWidget* parent = nullptr);

  // Fills the fields; kind -1 leaves every choice of "Art des Typs" open.
  void setDefinition(const TypeDefinition& definition);
  TypeDefinition definition() const;

 private:
  QLineEdit* m_name = nullptr;
  QButtonGroup* m_kinds = nullptr;
};

// Shows the dialog modally; nothing when it was cancelled.
std::optional<TypeDefinition> runTypeDialog(const TypeDefinition& initial, QWidget* parent);

}  // namespace kelvaro::gui
