// T_ImpVznLoad ("Addressbook Import Wizard"): the import wizard's window over ImportWizardModel. Five steps in
// a stacked widget (file, source and preview, fixed-width breaks, delimiters, import); each change of step
// posts the step message to the window itself, whose handler shows the step's page. ImportWizardExecute runs
// it modally on the list grid, whose delimiter the imported cells are flattened for; registerImportWizardTool()
// makes it tool code 1 of the tool table.
#pragma once

#include "lists/import_wizard_model.h"
#include "lists/tool_dialog.h"

class DbfTableModel;
class DelimitedPreviewModel;
class FixedWidthModel;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QTableView;
class StringGrid;
class TMsgLanguage;
class TextLinesModel;

// The step message the window posts to itself (WM_USER+1).
inline constexpr int WM_SHOWSTEP = 1025;

class T_ImpVznLoad : public ToolDialog {
    Q_OBJECT

public:
    T_ImpVznLoad(StringGrid& grid, const QString& listDelimiter, QWidget* parent = nullptr);
    ~T_ImpVznLoad() override;

    TMsgLanguage* msl;
    QStackedWidget* pcWizard;
    QWidget* tsFile;
    QWidget* ts2;
    QWidget* tsFix;
    QWidget* tsRzd;
    QWidget* tsImport;
    QLineEdit* eFile;
    QPushButton* SpeedButton5;   // "..."
    QFileDialog* opDlg;
    QLabel* lFileName;
    QRadioButton* rbDB;
    QRadioButton* rbRzd;
    QRadioButton* rbFix;
    QSpinBox* udLine;
    QComboBox* cbFF;
    QStackedWidget* pcPreview;
    QTableView* sg1;
    QTableView* dbg;
    QTableView* sgFix;
    QCheckBox* cbDC;
    QCheckBox* cbC;
    QCheckBox* cbTab;
    QCheckBox* cbSpace;
    QCheckBox* cbOther;
    QLineEdit* eS;
    QCheckBox* cbOne;
    QTableView* sgRzd;
    QLabel* lResult;
    QPushButton* bbBack;
    QPushButton* bbNext;
    QPushButton* bbExit;

    ImportWizardModel& model() { return m_model; }

    // Step 1, the step message posted, the window run modally; the preview table closed afterwards.
    int Run();
    void SpeedButton5Click();
    void bbNextClick();
    void bbBackClick();
    void cbFFChange();
    void DelimiterChange();
    void sgFixClick(int column);

protected:
    bool event(QEvent* event) override;

private:
    void buildPages();
    QWidget* buildFilePage();
    QWidget* buildSourcePage();
    QWidget* buildFixedWidthPage();
    QWidget* buildDelimitedPage();
    QWidget* buildImportPage();
    void postStep();
    void WMShowStep();
    void showButtons();
    void showSource();
    void showTextSource();
    void showFixedWidth();
    void showDelimiters();
    void runImport();
    int checkedDelimiterBits() const;
    void detachPreviewTable();
    void detachPreviewText();
    void reportProblem(const QString& reason);

    StringGrid& m_grid;
    ImportWizardModel m_model;
    TextLinesModel* m_linesModel;
    DbfTableModel* m_tableModel;
    FixedWidthModel* m_fixedModel;
    DelimitedPreviewModel* m_delimitedModel;
};

bool ImportWizardExecute(StringGrid& grid, const QString& listDelimiter, QWidget* parent = nullptr);
void registerImportWizardTool();
