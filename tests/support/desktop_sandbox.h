// A desktop laid out in the test's folder: HOME and the XDG folders point into it, the variables that would
// send xdg-mime and xdg-open to a desktop's own tools are unset, and tests register desktop entries and
// default handlers there. Programs the entries run are scripts that log their arguments (each ended by a NUL)
// and exit with a chosen status. Everything is put back when the sandbox goes.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace sorvanta::test {

// Sets environment variables for one test and puts the old values back afterwards.
class EnvironmentScope {
public:
    EnvironmentScope() = default;
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;
    ~EnvironmentScope();

    void set(const char* name, const QString& value);
    void unset(const char* name);

private:
    void remember(const char* name);
    std::vector<std::pair<const char*, std::optional<QByteArray>>> m_saved;
};

class DesktopSandbox {
public:
    DesktopSandbox();   // under testHome()

    QString root() const { return m_root; }
    // An executable script at root + name that logs its arguments to logPath() and exits with exitCode.
    QString writeLoggingProgram(const QString& name, int exitCode = 0);
    // A desktop entry at folder ("data": the user's, "system": the system's) + "/applications/" + relativePath.
    void writeEntry(const QString& folder, const QString& relativePath, const QByteArray& exec,
                    const QByteArray& mimeTypes = "text/html;");
    // Makes id the default handler of mimeType (the user's mimeapps.list).
    void setDefault(const QString& mimeType, const QString& id);

    QString logPath() const { return m_root + QStringLiteral("arguments.log"); }
    // The arguments the logging program was started with, once it has written them; "<not started>" after
    // timeoutMs without them.
    QStringList loggedArguments(int timeoutMs = 5000) const;

private:
    QString m_root;
    QByteArray m_defaults;
    EnvironmentScope m_environment;
};

}  // namespace sorvanta::test
