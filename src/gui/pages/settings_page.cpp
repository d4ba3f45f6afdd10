// The page "Einstellungen": its controls, bound to the settings commands of the core.
#include "pages/settings_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "astro/region_table.h"
#include "qt_text.h"
#include "sun_settings_dialog.h"

namespace kelvaro::gui {

namespace {

// Swallows every tool tip of the application while tool tips are switched off.
class ToolTipFilter final : public QObject {
 public:
  explicit ToolTipFilter(QObject* parent) : QObject(parent) {}
  bool shown = true;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!shown && event->type() == QEvent::ToolTip) return true;
    return QObject::eventFilter(watched, event);
  }
};

// One filter for the application; it goes with the application object.
ToolTipFilter* toolTipFilter() {
  static QPointer<ToolTipFilter> filter;
  if (!filter && qApp) {
    filter = new ToolTipFilter(qApp);
    qApp->installEventFilter(filter);
  }
  return filter;
}

struct PathRow {
  SettingsPath field;
  const char* name;
  const char* label;  // UTF-8
};
constexpr PathRow kPathRows[] = {
    {SettingsPath::BitmapDirectory, "BmpDirEd", "Verzeichnis für Bitmaps :"},
    {SettingsPath::ProjectDirectory, "DatDirEd", "Verzeichnis für Steuerungsprogramme :"},
    {SettingsPath::DefaultDefinitions, "InitFileEd", "Vorgabedatei für neue Projekte :"},
    {SettingsPath::Autostart, "AutoExecEd", "Steuerungsprogramm für Autostart :"},
    {SettingsPath::PaintProgram, "PaintPathEd", "Zeichenprogramm :"},
};

QString degreesText(double degrees) { return QLocale::system().toString(degrees, 'g', 8); }

}  // namespace

void setToolTipsShown(bool shown) {
  if (ToolTipFilter* filter = toolTipFilter()) filter->shown = shown;
}

SettingsPage::SettingsPage(MainContext& context, QWidget* parent) : MainPage(context, parent) { buildControls(); }

void SettingsPage::buildControls() {
  auto* layout = new QVBoxLayout(this);

  auto* paths = new QGridLayout;
  for (std::size_t i = 0; i < kPathCount; ++i) {
    const PathRow& row = kPathRows[i];
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(row.name));
    auto* button = new QPushButton(QStringLiteral("Durchsuchen"), this);
    button->setObjectName(QString::fromLatin1(row.name) + QStringLiteral("Btn"));
    paths->addWidget(new QLabel(QString::fromUtf8(row.label), this), static_cast<int>(i), 0);
    paths->addWidget(edit, static_cast<int>(i), 1);
    paths->addWidget(button, static_cast<int>(i), 2);
    const SettingsPath field = row.field;
    connect(edit, &QLineEdit::textEdited, this,
            [this, field](const QString& text) { setSettingsPath(workspace().settings(), field, fromQ(text)); });
    connect(button, &QPushButton::clicked, this, [this, field] { browse(field); });
    m_paths[i] = edit;
  }
  layout->addLayout(paths);

  auto* constantsRow = new QHBoxLayout;
  constantsRow->addWidget(new QLabel(QStringLiteral("Allgemeine Programm-Definitionen"), this));
  m_lineLogLabel = new QLabel(QStringLiteral(" Leitungsprotokoll "), this);
  m_lineLogLabel->setObjectName(QStringLiteral("HexProtLb"));
  m_lineLogLabel->setVisible(false);
  constantsRow->addWidget(m_lineLogLabel);
  constantsRow->addStretch();
  layout->addLayout(constantsRow);
  m_constants = new QPlainTextEdit(this);
  m_constants->setObjectName(QStringLiteral("KonstMemo"));
  m_constants->installEventFilter(this);
  layout->addWidget(m_constants, 1);

  auto* options = new QHBoxLayout;
  m_hints = new QCheckBox(QStringLiteral("Erläuterung am Mauszeiger aktivieren"), this);
  m_hints->setObjectName(QStringLiteral("HintCB"));
  auto* deleteProtocol = new QPushButton(QStringLiteral("Protokolldatei &löschen"), this);
  deleteProtocol->setObjectName(QStringLiteral("ProtDelBtn"));
  options->addWidget(m_hints);
  options->addStretch();
  options->addWidget(deleteProtocol);
  layout->addLayout(options);

  auto* sun = new QHBoxLayout;
  sun->addWidget(new QLabel(QStringLiteral("Postleitzahl zur Berechnung Sonnenzeiten :"), this));
  m_region = new QComboBox(this);
  m_region->setObjectName(QStringLiteral("PLZBox"));
  for (std::string_view choice : regionChoices()) m_region->addItem(toQ(choice));
  sun->addWidget(m_region);
  sun->addWidget(new QLabel(QStringLiteral("geo. Länge :"), this));
  m_longitude = new QLabel(this);
  m_longitude->setObjectName(QStringLiteral("GeoLLb"));
  sun->addWidget(m_longitude);
  sun->addWidget(new QLabel(QStringLiteral("geo. Breite :"), this));
  m_latitude = new QLabel(this);
  m_latitude->setObjectName(QStringLiteral("GeoBLb"));
  sun->addWidget(m_latitude);
  auto* astro = new QPushButton(QStringLiteral("weitere &Einstellungen"), this);
  astro->setObjectName(QStringLiteral("AstroBtn"));
  sun->addWidget(astro);
  sun->addStretch();
  layout->addLayout(sun);

  connect(m_hints, &QCheckBox::toggled, this, [this](bool on) {
    workspace().settings().SHOWHINT = on;
    setToolTipsShown(on);
  });
  connect(deleteProtocol, &QPushButton::clicked, this,
          [this] { deleteProtocolFile(workspace().workDir, ui()); });
  connect(m_region, qOverload<int>(&QComboBox::activated), this, &SettingsPage::regionChosen);
  connect(astro, &QPushButton::clicked, this, &SettingsPage::openSunSettings);
}

void SettingsPage::refresh() {
  const Settings& s = workspace().settings();
  for (std::size_t i = 0; i < kPathCount; ++i) m_paths[i]->setText(toQ(settingsPath(s, kPathRows[i].field)));
  m_constants->setPlainText(toQ(constantsText(project().constants)));
  m_hints->setChecked(s.SHOWHINT);
  setToolTipsShown(s.SHOWHINT);
  m_region->setCurrentIndex(s.PLZ >= 0 && s.PLZ < m_region->count() ? s.PLZ : -1);
  showCoordinates();
}

void SettingsPage::leavePage() {
  takeConstants();
  // The paint program and the directories are taken as the fields hold them now.
  Settings& s = workspace().settings();
  s.PAINTPATH = fromQ(m_paths[static_cast<std::size_t>(SettingsPath::PaintProgram)]->text());
  if (leaveSettingsPage(s))
    for (std::size_t i = 0; i < kPathCount; ++i) m_paths[i]->setText(toQ(settingsPath(s, kPathRows[i].field)));
}

void SettingsPage::takeConstants() {
  leaveConstantsBox(project(), constantsFromText(fromQ(m_constants->toPlainText())));
}

bool SettingsPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_constants) {
    if (event->type() == QEvent::FocusOut) {
      takeConstants();
    } else if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Q && (key->modifiers() & Qt::ControlModifier)) {
        // Ctrl+Q belongs to the constants box even where a menu uses it as a short cut.
        if (event->type() == QEvent::ShortcutOverride) {
          key->accept();
          return true;
        }
        m_lineLogLabel->setVisible(toggleLineLogLabel(workspace(), !m_lineLogLabel->isHidden()));
        return true;
      }
    }
  }
  return MainPage::eventFilter(watched, event);
}

void SettingsPage::browse(SettingsPath field) {
  const Settings& s = workspace().settings();
  std::optional<std::string> chosen;
  switch (field) {
    case SettingsPath::BitmapDirectory:
      chosen = ui().openFileName(fromUtf8("Verzeichnis für Bitmaps"), "Bitmap-Bilder (*.BMP *.bmp)", s.DIRBMP);
      break;
    case SettingsPath::ProjectDirectory:
      chosen = ui().openFileName(fromUtf8("Verzeichnis für Steuerungsprogramme"), "Projekt (*.SPG *.spg)", s.DIRDAT);
      break;
    case SettingsPath::DefaultDefinitions:
      chosen = ui().openFileName(fromUtf8("Vorgabedatei für neue Projekte"),
                                 "Initialisierungsdatei (*.SPI *.spi)", s.DIRDAT);
      break;
    case SettingsPath::Autostart:
      chosen = ui().openFileName(fromUtf8("Steuerungsprogramm für Autostart"), "Projekt (*.SPG *.spg)", s.DIRDAT);
      break;
    case SettingsPath::PaintProgram:
      // Programs on Linux carry no extension; they live in /usr/bin.
      chosen = ui().openFileName("Zeichenprogramm", "Programm (*)", "/usr/bin");
      break;
  }
  if (!chosen) return;
  const std::string path = browsedPath(s, field, *chosen);
  setSettingsPath(workspace().settings(), field, path);
  m_paths[static_cast<std::size_t>(field)]->setText(toQ(path));
}

void SettingsPage::regionChosen(int index) {
  chooseRegion(workspace().settings(), index);
  showCoordinates();
}

void SettingsPage::showCoordinates() {
  const Settings& s = workspace().settings();
  m_longitude->setText(degreesText(s.GEOLANG));
  m_latitude->setText(degreesText(s.GEOBREIT));
}

void SettingsPage::openSunSettings() {
  if (!runSunSettingsDialog(m_context, this)) return;
  const Settings& s = workspace().settings();
  m_region->setCurrentIndex(s.PLZ >= 0 && s.PLZ < m_region->count() ? s.PLZ : -1);
  showCoordinates();
}

}  // namespace kelvaro::gui
