// TVerifyForm ("Verify E-mail List"): the list verification window over ListVerifier (core/verify/list_verifier.h).
// It shows the result grid sgEm coloured by row status, takes the DNS server, the number of connections and
// the time-out from the project settings and writes them back on close. VerifyListExecute opens it modally
// on the project editor's list grid; registerVerifyListTool() makes it tool code 4 of the tool table.
#pragma once

#include "controls/explorer_button.h"

#include "core/verify/list_verifier.h"
#include "platform/string_grid.h"

#include <QColor>
#include <QPalette>
#include <QDialog>

class QFileDialog;
class QLineEdit;
class QPushButton;
class QSpinBox;
class StringGridView;
class TMsgLanguage;

class TVerifyForm : public QDialog {
    Q_OBJECT

public:
    // listGrid: the project's list grid (sg1), not owned; emailColumn: its 0-based e-mail column.
    TVerifyForm(StringGrid& listGrid, int emailColumn, QWidget* parent = nullptr);
    ~TVerifyForm() override;

    TMsgLanguage* msl;
    StringGridView* sgEm;
    QLineEdit* SmtpEdit;
    QLineEdit* DNSEdit;
    QLineEdit* NumConnect;
    QSpinBox* eTimeOut;            // with its up-down: 1 .. 32767 seconds
    QPushButton* StartButton;
    QPushButton* ResumeButton;
    QPushButton* StopButton;
    QPushButton* GetDnsButton;
    QPushButton* SpeedButton1;     // "Delete unavailable from list"
    QPushButton* SpeedButton2;     // "Save As"
    TExplorerButton* ExplorerButton1;  // "Close"
    QFileDialog* SaveBadFile;

    // Translation, the log, the fields from the project settings, and the rows from the list grid (with the
    // progress window, whose Stop cuts the rows loaded).
    void Opening();

    StringGrid& results() { return m_results; }
    ListVerifier& verifier() { return m_verifier; }
    // Rows were deleted from the list grid.
    bool listChanged() const { return m_listChanged; }
    // The DNS server's port: 53, another for tests.
    void setDnsPort(const QString& port) { m_dnsPort = port; }

    void StartButtonClick();
    void ResumeButtonClick();
    void StopButtonClick();
    void GetDnsButtonClick();
    void sgEmDblClick(int row);
    void SpeedButton1Click();
    void SpeedButton2Click();
    void ExplorerButton1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildLayout();
    void startRun(bool resume);
    void setRunning(bool running);
    void runFinished();
    void logFailed(const QString& reason);
    void waitForPendingQueries();
    void writeSettingsBack();

    StringGrid& m_listGrid;
    int m_emailColumn;
    QString m_dnsPort = QStringLiteral("53");
    StringGrid m_results;
    ListVerifier m_verifier;
    bool m_listChanged = false;
    bool m_deleting = false;
    bool m_closing = false;
};

// The text colour of a row of status status; invalid (the grid's own colour) for rows not verified yet.
QColor verifyStatusColour(int status);
// The colour a row of status status is drawn in on palette: its status colour while that keeps the readable
// contrast with the palette's field colour (a dark desktop's field loses navy, a light one silver), else, and
// for rows not verified yet, the palette's text colour.
QColor shownStatusColour(int status, const QPalette& palette);

// Creates the window on grid, runs Opening, shows it modally and frees it; answers whether rows were deleted.
bool VerifyListExecute(QWidget* parent, StringGrid& grid, int emailColumn);
// Puts VerifyListExecute into the tool table as ToolVerifyList.
void registerVerifyListTool();
