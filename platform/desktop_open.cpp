// The desktop's opener, watched: see desktop_open.h.

#include "platform/desktop_open.h"

#include <QCoreApplication>
#include <QProcess>

void openWithXdgOpen(const QString& target, std::function<void(DesktopOpenFailure failure)> failedLater)
{
    auto* opener = new QProcess(QCoreApplication::instance());
    opener->setStandardInputFile(QProcess::nullDevice());
    opener->setStandardOutputFile(QProcess::nullDevice());
    opener->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(opener, &QProcess::finished, opener, [opener, failedLater](int code, QProcess::ExitStatus status) {
        opener->deleteLater();
        if (status != QProcess::NormalExit || code != 0)
            failedLater(DesktopOpenFailure::NothingOpenedIt);
    });
    QObject::connect(opener, &QProcess::errorOccurred, opener, [opener, failedLater](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;   // a crash also ends in finished()
        opener->deleteLater();
        failedLater(DesktopOpenFailure::OpenerMissing);
    });
    opener->start(QStringLiteral("xdg-open"), {target});
}
