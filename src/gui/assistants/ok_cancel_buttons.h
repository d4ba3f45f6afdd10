// The "OK" / "Abbrechen" row the assistant windows end with.
#pragma once

class QDialog;
class QDialogButtonBox;

// Buttons named OKBtn and CancelBtn (the window tests find them by name), wired to accept and
// reject of the dialog.
QDialogButtonBox* okCancelButtons(QDialog* dialog);
