// The window "Einstellungen zu Sonnenzeiten": coordinates, corrections and time limits of
// sunrise and sunset.
#pragma once

#include <QDialog>

#include "app/sun_settings_form.h"
#include "main_context.h"

class QLineEdit;
class QSpinBox;

namespace kelvaro::gui {

class SunSettingsDialog : public QDialog {
  Q_OBJECT

 public:
  SunSettingsDialog(MainContext& context, QWidget* parent);

  // OK: the fields are stored only when every one of them is good; else the window stays
  // open with a message naming the bad field.
  void accept() override;

 private:
  SunSettingsForm form() const;

  MainContext& m_context;
  QLineEdit* m_longitude = nullptr;  // GeoLangEdt
  QLineEdit* m_latitude = nullptr;   // GeoBreitEdt
  QSpinBox* m_sunriseCorrection = nullptr;
  QSpinBox* m_sunsetCorrection = nullptr;
  QLineEdit* m_sunriseEarliest = nullptr;
  QLineEdit* m_sunriseLatest = nullptr;
  QLineEdit* m_sunsetEarliest = nullptr;
  QLineEdit* m_sunsetLatest = nullptr;
};

// Opens the window modally on the workspace's settings; true when OK stored them.
bool runSunSettingsDialog(MainContext& context, QWidget* parent);

}  // namespace kelvaro::gui
