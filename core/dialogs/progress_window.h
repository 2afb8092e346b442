// TProgAddress: the modeless progress window that long loops advance and poll. The loop creates it with
// CreateProgressWindow, steps it, stops when Stopped is set and frees it with CloseProgressWindow. Stop, the
// Escape key and the window's close button only set Stopped: the window never ends the loop or itself.
#pragma once

#include <QDialog>

class QProgressBar;
class QPushButton;

class TProgAddress : public QDialog {
    Q_OBJECT

public:
    explicit TProgAddress(QWidget* parent = nullptr);

    QProgressBar* Gauge1;
    QPushButton* SpeedButton1;
    bool Stopped = false;   // set by Stop; the calling loop reads it

    void SpeedButton1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    friend void CloseProgressWindow(TProgAddress* window);
    bool m_closing = false;   // true once CloseProgressWindow closes it for good
};

TProgAddress* CreateProgressWindow();
void ProgressStep(TProgAddress* window);       // gauge + 1 (within its range), window to the front
void ProgressStepBack(TProgAddress* window);   // gauge - 1 (within its range), window to the front
// Closes and frees the window; the caller must not use it afterwards.
void CloseProgressWindow(TProgAddress* window);
