// The dialog "Neues Objekt anlegen": name, label and type of an object that the layout
// editor places on one of its views.
#pragma once

#include <QDialog>

#include "app/object_editor_new_object.h"
#include "main_context.h"

class QLineEdit;
class QListWidget;

namespace kelvaro::gui {

class TNewObjF : public QDialog {
  Q_OBJECT

 public:
  TNewObjF(MainContext& context, NewObjectRequest request, QWidget* parent = nullptr);

  // The created object's index; -1 until OK succeeded.
  int createdObject() const { return m_created; }

 public Q_SLOTS:
  void accept() override;

 private:
  void nameLeft();

  MainContext& m_context;
  NewObjectRequest m_request;
  int m_created = -1;
  QLineEdit* m_name = nullptr;
  QLineEdit* m_label = nullptr;
  QListWidget* m_types = nullptr;
};

// Opens the dialog modally; the index of the new object, or -1 when none was created.
int runNewObjectDialog(MainContext& context, const QString& view, bool sizeFromName, QWidget* parent);

}  // namespace kelvaro::gui
