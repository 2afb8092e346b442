// ToolDialog: what the list tools' windows share. A busy guard for loops that pump events (the window's
// buttons and its Close are disabled meanwhile, so no handler runs inside another), events pumped every few
// milliseconds rather than per row, the request to translate the window, and the small widget factories.
#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QPushButton;

class ToolDialog : public QDialog {
    Q_OBJECT

public:
    explicit ToolDialog(QWidget* parent = nullptr);

    bool busy() const { return m_busy; }

protected:
    // Runs work with the buttons disabled and Close refused; a second call while one runs does nothing.
    template <typename Work>
    void runBusy(Work&& work)
    {
        if (m_busy)
            return;
        setBusy(true);
        struct Release {
            ToolDialog* dialog;
            ~Release() { dialog->setBusy(false); }
        } release{this};
        work();
    }
    // Processes pending events when a few milliseconds have passed since the last time.
    void pumpEvents();
    QPushButton* makeButton(const char* name, const QString& caption);
    // Asks the main window to translate this window (its language file section).
    void requestTranslation();

    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void setBusy(bool busy);

    bool m_busy = false;
    QElapsedTimer m_sincePump;
};

// The window to parent a modal tool on when its caller gives none.
QWidget* toolParent(QWidget* given);
