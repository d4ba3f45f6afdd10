// The window "Drucken" and the three print commands of the main window: print a list, set up
// the printer, choose the print font. The lists' content and breaks are the core's.
#pragma once

#include <QDialog>
#include <QFont>
#include <functional>
#include <memory>

#include "app/print_lists.h"
#include "main_context.h"

class QCheckBox;
class QGroupBox;
class QPrinter;
class QRadioButton;

namespace kelvaro::gui {

class TUsPrtDlgF : public QDialog {
  Q_OBJECT

 public:
  // The names of the entries selected in the object list and the station list; empty when
  // none is, and "nur markierten Eintrag" is then not offered for that list.
  // help opens the window's help page.
  TUsPrtDlgF(const QString& selectedObject, const QString& selectedStation, QWidget* parent,
             std::function<void()> help = {});

  PrintChoice choice() const;
  bool toPdf() const;  // "PDF-Datei" rather than "Drucker"

 private:
  void kindChanged();

  QString m_selectedObject;
  QString m_selectedStation;
  std::function<void()> m_help;
  QRadioButton* m_objectsRB = nullptr;   // PrtSelRG "Objektdefinitionen"
  QRadioButton* m_hardwareRB = nullptr;  // PrtSelRG "Hardware"
  QGroupBox* m_objGB = nullptr;          // ObjGB
  QCheckBox* m_defCB = nullptr;          // PrtObjDefCB
  QCheckBox* m_pgmCB = nullptr;          // PrtObjPgmCB
  QCheckBox* m_hdwCB = nullptr;          // PrtObjHdwCB
  QCheckBox* m_aktObjCB = nullptr;       // PrtAktObjCB
  QRadioButton* m_printerRB = nullptr;
  QRadioButton* m_pdfRB = nullptr;
};

// The print commands on the main window's tool bar and menu. They keep the printer set up
// and the chosen print font for the session.
class PrintCommands : public QObject {
  Q_OBJECT

 public:
  PrintCommands(MainContext& context, QWidget* window);
  ~PrintCommands() override;

  void print();         // "&Drucken"
  void printerSetup();  // "Drucker&einstellung"
  void chooseFont();    // "Druckschrift"

  const QFont& font() const { return m_font; }

 private:
  QString selectedName(const char* listName, bool objects) const;

  MainContext& m_context;
  QWidget* m_window;
  std::unique_ptr<QPrinter> m_printer;
  QFont m_font;
};

}  // namespace kelvaro::gui
