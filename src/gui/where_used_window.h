// The window "Objektbezüge": the program lines that use one object. A double-click opens the
// object editor on the line; when it closes, the search runs again, since the edit may have
// added or removed uses.
#pragma once

#include <QDialog>
#include <string>

#include "app/where_used.h"
#include "main_context.h"

class QLabel;
class QListWidget;

namespace kelvaro::gui {

class TRelObjF : public QDialog {
  Q_OBJECT

 public:
  TRelObjF(MainContext& context, std::string objectName, QWidget* parent = nullptr);

  const WhereUsed& uses() const { return m_uses; }
  // Double-click on an entry: the editor on its line, then the search again.
  void RelObjLBDblClick(int row);

 private:
  void search();

  MainContext& m_context;
  std::string m_name;
  WhereUsed m_uses;
  QLabel* HeadLab = nullptr;
  QListWidget* RelObjLB = nullptr;
};

// Opens the window modally for the object of this name.
void showWhereUsed(MainContext& context, const std::string& objectName, QWidget* parent);

}  // namespace kelvaro::gui
