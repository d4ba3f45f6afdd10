// The sun-time settings window.
#include "sun_settings_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "qt_text.h"
#include "screen_fit.h"
#include "storage/settings.h"

namespace kelvaro::gui {

namespace {

QLineEdit* timeField(const char* name, const std::string& value, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setInputMask(QStringLiteral("99:99:99"));
  edit->setText(toQ(value));
  return edit;
}

QSpinBox* minutesField(const char* name, int value, QWidget* parent) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(QString::fromLatin1(name));
  spin->setRange(-90, 90);
  spin->setValue(value);
  return spin;
}

}  // namespace

SunSettingsDialog::SunSettingsDialog(MainContext& context, QWidget* parent) : QDialog(parent), m_context(context) {
  setWindowTitle(QStringLiteral("Einstellungen zu Sonnenzeiten"));
  keepOnScreen(this);
  const SunSettingsForm initial = sunSettingsForm(context.workspace.settings());
  auto* layout = new QVBoxLayout(this);

  auto* place = new QGridLayout;
  m_longitude = new QLineEdit(toQ(initial.longitude), this);
  m_longitude->setObjectName(QStringLiteral("GeoLangEdt"));
  m_latitude = new QLineEdit(toQ(initial.latitude), this);
  m_latitude->setObjectName(QStringLiteral("GeoBreitEdt"));
  place->addWidget(new QLabel(QStringLiteral("Geografische Länge : "), this), 0, 0);
  place->addWidget(m_longitude, 0, 1);
  place->addWidget(new QLabel(QStringLiteral("Geografische Breite : "), this), 1, 0);
  place->addWidget(m_latitude, 1, 1);
  place->addWidget(new QLabel(QStringLiteral("Angaben in Dezimalwerten"), this), 2, 0, 1, 2);
  layout->addLayout(place);

  auto group = [&](const QString& title, QSpinBox*& minutes, const char* minutesName, int correction,
                   QLineEdit*& earliest, const char* earliestName, const std::string& earliestValue,
                   QLineEdit*& latest, const char* latestName, const std::string& latestValue) {
    auto* box = new QGroupBox(title, this);
    auto* grid = new QGridLayout(box);
    minutes = minutesField(minutesName, correction, box);
    earliest = timeField(earliestName, earliestValue, box);
    latest = timeField(latestName, latestValue, box);
    grid->addWidget(new QLabel(QStringLiteral("Individuelle Anpassung"), box), 0, 0);
    grid->addWidget(minutes, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Minuten"), box), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("frühestens"), box), 1, 0);
    grid->addWidget(earliest, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("spätestens"), box), 2, 0);
    grid->addWidget(latest, 2, 1);
    layout->addWidget(box);
  };
  group(QStringLiteral("Sonnenaufgang"), m_sunriseCorrection, "SunriseK", initial.sunriseCorrection,
        m_sunriseEarliest, "SunriseFrueh", initial.sunriseEarliest, m_sunriseLatest, "SunriseSpaet",
        initial.sunriseLatest);
  group(QStringLiteral("Sonnenuntergang"), m_sunsetCorrection, "SunsetK", initial.sunsetCorrection,
        m_sunsetEarliest, "SunsetFrueh", initial.sunsetEarliest, m_sunsetLatest, "SunsetSpaet",
        initial.sunsetLatest);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbruch"));
  buttons->button(QDialogButtonBox::Help)->setText(QStringLiteral("&Hilfe"));
  connect(buttons, &QDialogButtonBox::accepted, this, &SunSettingsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &SunSettingsDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
    if (m_context.showHelp) m_context.showHelp(QStringLiteral("SonnenEinst"));
  });
  layout->addWidget(buttons);
}

SunSettingsForm SunSettingsDialog::form() const {
  SunSettingsForm f;
  f.longitude = fromQ(m_longitude->text());
  f.latitude = fromQ(m_latitude->text());
  f.sunriseCorrection = m_sunriseCorrection->value();
  f.sunsetCorrection = m_sunsetCorrection->value();
  f.sunriseEarliest = fromQ(m_sunriseEarliest->text());
  f.sunriseLatest = fromQ(m_sunriseLatest->text());
  f.sunsetEarliest = fromQ(m_sunsetEarliest->text());
  f.sunsetLatest = fromQ(m_sunsetLatest->text());
  return f;
}

void SunSettingsDialog::accept() {
  if (const std::optional<std::string> error = applySunSettingsForm(m_context.workspace.settings(), form())) {
    showError(m_context.ui, *error);
    return;
  }
  QDialog::accept();
}

bool runSunSettingsDialog(MainContext& context, QWidget* parent) {
  SunSettingsDialog dialog(context, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace kelvaro::gui
