// Progress window: see progress_window.h.

#include "core/dialogs/progress_window.h"

#include "platform/widgets/colour_contrast.h"

#include "core/base/window_host.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

TProgAddress::TProgAddress(QWidget* parent)
    : QDialog(parent), Gauge1(new QProgressBar(this)), SpeedButton1(new QPushButton(tr("Stop"), this))
{
    setObjectName(QStringLiteral("ProgAddress"));
    setWindowTitle(tr("Open Address Book"));
    setAttribute(Qt::WA_QuitOnClose, false);   // the program ends with the main window only
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    Gauge1->setMinimumWidth(260);
    // A blue bar while it stands out from the window, else (on a dark palette) the palette's selection colour.
    const QColor bar = readableOr(QColor(Qt::blue), palette().color(QPalette::Window),
                                  palette().color(QPalette::Highlight));
    Gauge1->setStyleSheet(QStringLiteral("QProgressBar { border: none; }"
                                         "QProgressBar::chunk { background: %1; }").arg(bar.name()));
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setAutoDefault(false);
    connect(SpeedButton1, &QPushButton::clicked, this, &TProgAddress::SpeedButton1Click);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Gauge1, 1);
    layout->addWidget(SpeedButton1);
    setFixedSize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TProgAddress::SpeedButton1Click()
{
    Stopped = true;
}

// The loop still holds the window: closing it from its caption only asks the loop to stop.
void TProgAddress::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    Stopped = true;
    event->ignore();
}

void TProgAddress::reject()
{
    if (m_closing)
        QDialog::reject();
    else
        Stopped = true;
}

TProgAddress* CreateProgressWindow()
{
    auto* window = new TProgAddress;
    WindowHost::requestTranslation(window);
    window->Stopped = false;
    window->show();
    window->raise();
    return window;
}

namespace {

void stepBy(TProgAddress* window, int delta)
{
    QProgressBar* gauge = window->Gauge1;
    gauge->setValue(qBound(gauge->minimum(), gauge->value() + delta, gauge->maximum()));
    window->raise();
}

}  // namespace

void ProgressStep(TProgAddress* window)
{
    stepBy(window, 1);
}

void ProgressStepBack(TProgAddress* window)
{
    stepBy(window, -1);
}

void CloseProgressWindow(TProgAddress* window)
{
    if (!window)
        return;
    window->m_closing = true;
    window->close();
    window->deleteLater();
}
