// The window "Objektdefinition": draws the object editor's fields on three pages and hands
// every user action to the core's ObjectEditor, which holds the rules.
#pragma once

#include <QDialog>
#include <memory>

#include "app/object_editor.h"
#include "main_context.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTabWidget;
class QTableWidget;

namespace kelvaro::gui {

class TObjDefF : public QDialog {
  Q_OBJECT

 public:
  TObjDefF(MainContext& context, const EditorRequest& request, ObjectEditorHooks hooks, QWidget* parent = nullptr);
  ~TObjDefF() override;

  ObjectEditor& editor() { return *m_editor; }

 public Q_SLOTS:
  void accept() override;
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QWidget* buildTypePage();
  QWidget* buildNumberPanel();
  QWidget* buildTextPanel();
  QWidget* buildStatesPanel();
  QWidget* buildProgramPage();
  QWidget* buildHardwarePage();

  void fillControls();
  void showHints();
  void showKindPanels();
  void fillStates();
  void fillViewList();
  void showViewButton();
  void fillConversionGrid();
  void fillAutoList();
  void showBarPanel();
  void showHardwareChoices();
  void showProgramArea();
  void selectErrorLine();
  void previewState(int state);

  void typeChosen(int index);
  void objectIdLeft();
  void viewToggled(int row);
  void pageChanging(int index);
  void chooseBitmap();
  void removeBitmap();
  void deleteAutoStatements();
  void convertAutoStatements();
  void insertIntoProgram(const QString& text);
  // The assistants on the generated statements the editor holds; their OK puts the lines back
  // into the editor, so the editor's Cancel still discards them.
  std::vector<std::string> generatedProgram() const;
  void showGenerated(std::vector<std::string> program);
  void openSwitchingTimes();
  void openActions();
  void insertCondition();

  // Variable grid with the type and state choices laid over the current cell.
  void variableCellChanged(int row, int column, int previousRow, int previousColumn);
  void commitVariableChoice();
  void readVariableGrid();
  void writeVariableGrid();
  void deleteVariableRow();

  void takeControls();  // copies every control into the editor's fields

  MainContext& m_context;
  std::unique_ptr<ObjectEditor> m_editor;
  int m_currentPage = 0;
  bool m_filling = false;

  QLabel* m_title = nullptr;
  QTabWidget* m_notebook = nullptr;

  // "Typ"
  QComboBox* m_type = nullptr;
  QLineEdit* m_label = nullptr;
  QLineEdit* m_startText = nullptr;
  QComboBox* m_startState = nullptr;
  QLineEdit* m_objectId = nullptr;
  QLineEdit* m_voice = nullptr;
  QCheckBox* m_actionMenu = nullptr;
  QCheckBox* m_deactivate = nullptr;
  QCheckBox* m_invisible = nullptr;
  QCheckBox* m_beep = nullptr;
  QCheckBox* m_inputExec = nullptr;
  QCheckBox* m_autoSize = nullptr;
  QCheckBox* m_stretch = nullptr;
  QButtonGroup* m_screenInput = nullptr;
  QListWidget* m_views = nullptr;
  QPushButton* m_viewButton = nullptr;
  QWidget* m_numberPanel = nullptr;
  QWidget* m_textPanel = nullptr;
  QWidget* m_statesPanel = nullptr;
  QButtonGroup* m_outputForm = nullptr;
  QWidget* m_barPanel = nullptr;
  QSpinBox* m_gaugeFrom = nullptr;
  QSpinBox* m_gaugeTo = nullptr;
  QComboBox* m_gaugeColor = nullptr;
  QGroupBox* m_valueBox = nullptr;
  QButtonGroup* m_valueDisplay = nullptr;
  QButtonGroup* m_gaugeDirection = nullptr;
  QSpinBox* m_panelChars = nullptr;
  QSpinBox* m_panelRows = nullptr;
  QListWidget* m_states = nullptr;
  QLabel* m_preview = nullptr;
  QButtonGroup* m_noBitmap = nullptr;

  // "Programmierung"
  QComboBox* m_interval = nullptr;
  QTableWidget* m_variables = nullptr;
  QComboBox* m_cellChoice = nullptr;
  int m_choiceRow = -1, m_choiceColumn = -1;
  QStackedWidget* m_programArea = nullptr;
  QPlainTextEdit* m_program = nullptr;
  QListWidget* m_autoList = nullptr;
  QPushButton* m_autoButton = nullptr;
  QListWidget* m_objectVars = nullptr;
  QListWidget* m_keywords = nullptr;
  QCheckBox* m_executeOnReceive = nullptr;
  QLabel* m_error = nullptr;

  // "Hardware"
  QComboBox* m_group = nullptr;
  QCheckBox* m_extTrans = nullptr;
  QTableWidget* m_conversion = nullptr;
  QButtonGroup* m_hardwareRole = nullptr;
  QLabel* m_receiveLabel = nullptr;
  QComboBox* m_receive = nullptr;
  QLabel* m_sendLabel = nullptr;
  QComboBox* m_send = nullptr;
  QCheckBox* m_acknowledge = nullptr;
};

}  // namespace kelvaro::gui
