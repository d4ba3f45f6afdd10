// The window "Drucken" and the print commands.
#include "print/print_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "print/print_painter.h"
#include "qt_text.h"

namespace kelvaro::gui {

TUsPrtDlgF::TUsPrtDlgF(const QString& selectedObject, const QString& selectedStation, QWidget* parent,
                       std::function<void()> help)
    : QDialog(parent), m_selectedObject(selectedObject), m_selectedStation(selectedStation), m_help(std::move(help)) {
  setObjectName(QStringLiteral("UsPrtDlgF"));
  setWindowTitle(QStringLiteral("Drucken"));
  auto* layout = new QVBoxLayout(this);

  auto* kind = new QGroupBox(QStringLiteral("Art"), this);
  kind->setObjectName(QStringLiteral("PrtSelRG"));
  auto* kindLayout = new QHBoxLayout(kind);
  m_objectsRB = new QRadioButton(QStringLiteral("Objektdefinitionen"), kind);
  m_hardwareRB = new QRadioButton(QStringLiteral("Hardware"), kind);
  m_objectsRB->setObjectName(QStringLiteral("PrtSelObjRB"));
  m_hardwareRB->setObjectName(QStringLiteral("PrtSelHdwRB"));
  m_objectsRB->setChecked(true);
  kindLayout->addWidget(m_objectsRB);
  kindLayout->addWidget(m_hardwareRB);
  layout->addWidget(kind);

  m_objGB = new QGroupBox(QStringLiteral("Druckauswahl Objekte"), this);
  m_objGB->setObjectName(QStringLiteral("ObjGB"));
  auto* objLayout = new QVBoxLayout(m_objGB);
  m_defCB = new QCheckBox(QStringLiteral("Allgemeine Definitionen"), m_objGB);
  m_defCB->setObjectName(QStringLiteral("PrtObjDefCB"));
  m_pgmCB = new QCheckBox(QStringLiteral("Steuerungsprogramm"), m_objGB);
  m_pgmCB->setObjectName(QStringLiteral("PrtObjPgmCB"));
  m_hdwCB = new QCheckBox(QStringLiteral("Hardware zum Objekt"), m_objGB);
  m_hdwCB->setObjectName(QStringLiteral("PrtObjHdwCB"));
  for (QCheckBox* box : {m_defCB, m_pgmCB, m_hdwCB}) {
    box->setChecked(true);
    objLayout->addWidget(box);
  }
  layout->addWidget(m_objGB);

  m_aktObjCB = new QCheckBox(QStringLiteral("nur markierten Eintrag"), this);
  m_aktObjCB->setObjectName(QStringLiteral("PrtAktObjCB"));
  layout->addWidget(m_aktObjCB);

  auto* target = new QGroupBox(QStringLiteral("Ausgabe"), this);
  target->setObjectName(QStringLiteral("PrtZielRG"));
  auto* targetLayout = new QHBoxLayout(target);
  m_printerRB = new QRadioButton(QStringLiteral("Drucker"), target);
  m_pdfRB = new QRadioButton(QStringLiteral("PDF-Datei"), target);
  m_printerRB->setObjectName(QStringLiteral("PrtDruckerRB"));
  m_pdfRB->setObjectName(QStringLiteral("PrtPdfRB"));
  m_printerRB->setChecked(true);
  targetLayout->addWidget(m_printerRB);
  targetLayout->addWidget(m_pdfRB);
  layout->addWidget(target);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
  buttons->button(QDialogButtonBox::Help)->setText(QStringLiteral("Hilfe"));
  connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
    if (m_help) m_help();
  });
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbruch"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  connect(m_objectsRB, &QRadioButton::toggled, this, &TUsPrtDlgF::kindChanged);
  kindChanged();
}

void TUsPrtDlgF::kindChanged() {
  const bool objects = m_objectsRB->isChecked();
  m_objGB->setEnabled(objects);
  // Only an entry that is selected can be printed alone; the caption says which one.
  const QString& selected = objects ? m_selectedObject : m_selectedStation;
  m_aktObjCB->setVisible(!selected.isEmpty());
  if (selected.isEmpty()) m_aktObjCB->setChecked(false);
  m_aktObjCB->setToolTip(selected);
}

PrintChoice TUsPrtDlgF::choice() const {
  PrintChoice c;
  c.kind = m_objectsRB->isChecked() ? PrintKind::Objects : PrintKind::Modules;
  c.definitions = m_defCB->isChecked();
  c.program = m_pgmCB->isChecked();
  c.hardware = m_hdwCB->isChecked();
  if (m_aktObjCB->isChecked()) c.only = fromQ(c.kind == PrintKind::Objects ? m_selectedObject : m_selectedStation);
  return c;
}

bool TUsPrtDlgF::toPdf() const { return m_pdfRB->isChecked(); }

PrintCommands::PrintCommands(MainContext& context, QWidget* window)
    : QObject(window), m_context(context), m_window(window), m_font(defaultPrintFont()) {}

PrintCommands::~PrintCommands() = default;

// The name of the entry selected in one of the main window's lists; empty when none is.
QString PrintCommands::selectedName(const char* listName, bool objects) const {
  const auto* list = m_window->findChild<QListWidget*>(QString::fromLatin1(listName));
  const int row = list != nullptr ? list->currentRow() : -1;
  const Project& project = m_context.workspace.project;
  if (row < 0) return {};
  if (objects) return row < static_cast<int>(project.objects.size()) ? toQ(project.objects[row].Name) : QString();
  return row < static_cast<int>(project.stations.size()) ? toQ(project.stations[row].CName) : QString();
}

void PrintCommands::print() {
  TUsPrtDlgF dialog(selectedName("ObjBox", true), selectedName("ContrBox", false), m_window, [this] {
    if (m_context.showHelp) m_context.showHelp(QStringLiteral("Drucken"));
  });
  if (dialog.exec() != QDialog::Accepted) return;
  const std::vector<PrintItem> items = printItems(m_context.workspace.project, dialog.choice());
  if (dialog.toPdf()) {
    const std::optional<std::string> file =
        m_context.ui.saveFileName("Liste als PDF speichern", "PDF-Dateien (*.pdf)", m_context.workspace.workDir);
    if (!file) return;
    QString name = toQ(*file);
    if (QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".pdf");
    QString error;
    if (!writePrintPdf(name, m_font, items, nullptr, &error))
      showError(m_context.ui, fromQ(name + QStringLiteral(" konnte nicht geschrieben werden: ") + error));
    return;
  }
  if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  m_printer->setDocName(toQ(items.front().text));
  if (paintPrintItems(*m_printer, m_font, items) == 0)
    showError(m_context.ui, fromQ(QStringLiteral("Der Drucker ist nicht bereit")));
}

void PrintCommands::printerSetup() {
  if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  QPrintDialog dialog(m_printer.get(), m_window);
  dialog.setWindowTitle(QStringLiteral("Druckereinstellung"));
  dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
  dialog.exec();
}

void PrintCommands::chooseFont() {
  bool ok = false;
  const QFont font = QFontDialog::getFont(&ok, m_font, m_window, QStringLiteral("Druckschrift"));
  if (ok) m_font = font;
}

}  // namespace kelvaro::gui
