// Start-up probe for bench_startup, put into a program with LD_PRELOAD so that the program and the minimal
// window it is measured beside are watched alike, without a line of either. Once the top-level window whose
// object name $SORVANTA_PROBE_WINDOW gives has been painted the first time (its whole paint is done when the
// event loop next runs), the CLOCK_MONOTONIC time in nanoseconds is written to $SORVANTA_PROBE_FILE. With
// $SORVANTA_PROBE_EXIT_MS the program then ends that many milliseconds later, for whole-process timers.

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <ctime>
#include <unistd.h>

namespace {

qint64 monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

class PaintWatch : public QObject {
public:
    PaintWatch(QString window, QString file) : m_window(std::move(window)), m_file(std::move(file)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (m_seen || event->type() != QEvent::Paint)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window()->objectName() != m_window)
            return false;
        m_seen = true;
        QTimer::singleShot(0, this, &PaintWatch::painted);
        return false;
    }

private:
    void painted()
    {
        QFile out(m_file + QStringLiteral(".part"));
        if (out.open(QIODevice::WriteOnly)) {
            out.write(QByteArray::number(monotonicNanoseconds()) + '\n');
            out.close();
            out.rename(m_file);
        }
        bool ok = false;
        const int exitMs = qEnvironmentVariableIntValue("SORVANTA_PROBE_EXIT_MS", &ok);
        if (ok)
            QTimer::singleShot(exitMs, [] { _exit(0); });
    }

    QString m_window;
    QString m_file;
    bool m_seen = false;
};

void installPaintWatch()
{
    const QString window = qEnvironmentVariable("SORVANTA_PROBE_WINDOW");
    const QString file = qEnvironmentVariable("SORVANTA_PROBE_FILE");
    if (window.isEmpty() || file.isEmpty())
        return;
    QCoreApplication::instance()->installEventFilter(new PaintWatch(window, file));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(installPaintWatch)
