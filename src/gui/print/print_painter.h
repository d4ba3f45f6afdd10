// Draws the printed lists on any paged device (the system printer or a PDF file), measuring
// with the print font on that device. Shared by the window and kelvaro-cli, so it needs Qt Gui
// only: no widgets, no printer dialogs.
#pragma once

#include <QFont>
#include <QString>
#include <vector>

#include "app/print_lists.h"

class QPagedPaintDevice;

namespace kelvaro::gui {

// The font of the lists when the project names none: the printer's usual 10 points.
QFont defaultPrintFont();

// The print font as it is kept in the settings ("Family,points[,bold]"), and back. An empty
// or unreadable text gives the default font.
QString printFontText(const QFont& font);
QFont printFontFromText(const QString& text);

// Paints the items, laid out by the core's page rules, onto the device, one device page per
// list page. Returns the number of pages, 0 when the device could not be painted on.
int paintPrintItems(QPagedPaintDevice& device, const QFont& font, const std::vector<PrintItem>& items);

// Writes the items as a PDF file (A4, 10 mm margins as a printer's unprintable border). On
// failure returns false and says why in error; no half-written file stays.
bool writePrintPdf(const QString& fileName, const QFont& font, const std::vector<PrintItem>& items,
                   int* pages, QString* error);

}  // namespace kelvaro::gui
