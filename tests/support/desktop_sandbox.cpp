// The test desktop: see desktop_sandbox.h.

#include "tests/support/desktop_sandbox.h"

#include "tests/support/test_files.h"
#include "tests/support/test_home.h"
#include "tests/support/wait_until.h"

#include <QDir>
#include <QFile>

namespace sorvanta::test {

EnvironmentScope::~EnvironmentScope()
{
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
        if (it->second)
            qputenv(it->first, *it->second);
        else
            qunsetenv(it->first);
    }
}

void EnvironmentScope::set(const char* name, const QString& value)
{
    remember(name);
    qputenv(name, value.toUtf8());
}

void EnvironmentScope::unset(const char* name)
{
    remember(name);
    qunsetenv(name);
}

void EnvironmentScope::remember(const char* name)
{
    m_saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
}

DesktopSandbox::DesktopSandbox()
    : m_root(testHome() + QStringLiteral("desktop/"))
{
    for (const char* folder : {"home", "config", "etc", "data/applications", "system/applications"})
        QDir().mkpath(m_root + QLatin1String(folder));
    m_environment.set("HOME", m_root + "home");
    m_environment.set("XDG_CONFIG_HOME", m_root + "config");
    m_environment.set("XDG_CONFIG_DIRS", m_root + "etc");
    m_environment.set("XDG_DATA_HOME", m_root + "data");
    m_environment.set("XDG_DATA_DIRS", m_root + "system");
    // Keep xdg-mime and xdg-open on their generic paths, whatever desktop the tests run under.
    for (const char* name : {"XDG_CURRENT_DESKTOP", "XDG_MENU_PREFIX", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                             "KDE_SESSION_VERSION", "GNOME_DESKTOP_SESSION_ID", "DBUS_SESSION_BUS_ADDRESS",
                             "BROWSER", "DISPLAY", "WAYLAND_DISPLAY"})
        m_environment.unset(name);
}

QString DesktopSandbox::writeLoggingProgram(const QString& name, int exitCode)
{
    const QString path = m_root + name;
    const QByteArray log = logPath().toUtf8();
    writeFileBytes(path, "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + log + ".part' && mv '" + log + ".part' '" + log
                             + "'\nexit " + QByteArray::number(exitCode) + "\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

void DesktopSandbox::writeEntry(const QString& folder, const QString& relativePath, const QByteArray& exec,
                                const QByteArray& mimeTypes)
{
    const QString path = m_root + folder + QStringLiteral("/applications/") + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    writeFileBytes(path, "[Desktop Entry]\nType=Application\nName=Test Program\nMimeType=" + mimeTypes
                             + "\nExec=" + exec + "\n");
}

void DesktopSandbox::setDefault(const QString& mimeType, const QString& id)
{
    m_defaults += mimeType.toUtf8() + '=' + id.toUtf8() + '\n';
    writeFileBytes(m_root + QStringLiteral("config/mimeapps.list"), "[Default Applications]\n" + m_defaults);
}

QStringList DesktopSandbox::loggedArguments(int timeoutMs) const
{
    if (!waitUntil([&] { return QFile::exists(logPath()); }, timeoutMs))
        return {QStringLiteral("<not started>")};
    QStringList arguments;
    for (const QByteArray& argument : readFileBytes(logPath()).split('\0'))
        arguments += QString::fromUtf8(argument);
    arguments.removeLast();   // after the last NUL
    return arguments;
}

}  // namespace sorvanta::test
