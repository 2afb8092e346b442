// Start-up benchmark: the program beside a minimal Qt window (bench/minimal_window) built in the same tree, in
// interleaved runs, offscreen and, when Xvfb is installed, under Xvfb: the time from the start of the process to
// its main window painted, and its resident memory 3 s later, as medians with the pairwise ratios the program is
// held to (time at most 1.5x, memory at most 2x). Both are watched by the same probe (bench/startup_probe, put in
// with LD_PRELOAD). Then the first opening of the HTML page, each in a fresh process: the time from switching a
// project to "html" until the page is loaded and editable, and what that adds to the resident memory.
//   bench_startup [RUNS [PROGRAM]]    RUNS of each program per display (default 7), after one warm-up of each;
//                                     PROGRAM in place of this build's (another build of it, to compare)
// Prints the load average before and after; every child gets a home and a program folder of its own.

#include "core/editor/message_form.h"
#include "core/editor/html_editor_page.h"
#include "core/frame/main_form.h"
#include "core/project/project_files.h"
#include "core/settings/ini_info.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kRestMs = 3000;       // resident memory is read this long after the first paint
constexpr int kStartLimitMs = 60000;

qint64 monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll()).section(u' ', 0, 2);
}

double residentMegabytes(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// The shared objects mapped into pid, by path.
std::set<QString> mappedLibraries(pid_t pid)
{
    std::set<QString> libraries;
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    if (!maps.open(QIODevice::ReadOnly))
        return libraries;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QString path = QString::fromLocal8Bit(line.mid(line.indexOf('/')));
        if (line.contains('/') && path.contains(QStringLiteral(".so")))
            libraries.insert(path);
    }
    return libraries;
}

bool webEngineMapped(const std::set<QString>& libraries)
{
    return std::any_of(libraries.begin(), libraries.end(), [](const QString& path) {
        return path.contains(QStringLiteral("WebEngine")) || path.contains(QStringLiteral("Qt6Quick"))
               || path.contains(QStringLiteral("Qt6Qml"));
    });
}

// A child with the environment of this process changed by `set` (an empty value removes the variable), its
// output thrown away.
pid_t spawn(const QString& program, const QStringList& arguments, const std::map<QString, QString>& set)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        const QString text = QString::fromLocal8Bit(*entry);
        if (!set.count(text.section(u'=', 0, 0)))
            environment.push_back(*entry);
    }
    for (const auto& [name, value] : set)
        if (!value.isEmpty())
            environment.push_back((name + u'=' + value).toStdString());
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> words{program.toStdString()};
    for (const QString& argument : arguments)
        words.push_back(argument.toStdString());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool exited(pid_t pid)
{
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == pid;
}

void stop(pid_t pid)
{
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

// Where the children keep their files: a home and a program folder, fresh for this bench.
struct Sandbox {
    QTemporaryDir root;
    std::map<QString, QString> environment(const QString& platform, const QString& display) const
    {
        const QString base = root.path() + u'/';
        for (const char* folder : {"home", "config", "data", "cache", "runtime", "program"})
            QDir().mkpath(base + QLatin1String(folder));
        QFile::setPermissions(base + "runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return {{"HOME", base + "home"},          {"XDG_CONFIG_HOME", base + "config"},
                {"XDG_DATA_HOME", base + "data"}, {"XDG_CACHE_HOME", base + "cache"},
                {"XDG_RUNTIME_DIR", base + "runtime"}, {"SORVANTA_HOME", base + "program"},
                {"QT_QPA_PLATFORM", platform},    {"DISPLAY", display},
                {"SORVANTA_HTML_ENGINE", QString()}};
    }
};

struct StartRun {
    double paintedMs = 0;
    double residentMb = 0;
    int libraries = 0;
    bool engineMapped = false;
};

std::optional<StartRun> measureStart(const QString& program, const Sandbox& sandbox, const QString& platform,
                                     const QString& display)
{
    const QString painted = sandbox.root.path() + QStringLiteral("/painted");
    QFile::remove(painted);
    std::map<QString, QString> environment = sandbox.environment(platform, display);
    environment[QStringLiteral("LD_PRELOAD")] = QStringLiteral(SORVANTA_STARTUP_PROBE);
    environment[QStringLiteral("SORVANTA_PROBE_WINDOW")] = QStringLiteral("MainForm");
    environment[QStringLiteral("SORVANTA_PROBE_FILE")] = painted;
    const qint64 started = monotonicNanoseconds();
    const pid_t pid = spawn(program, {}, environment);
    if (pid < 0)
        return std::nullopt;
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(painted)) {
        if (exited(pid) || waited.elapsed() > kStartLimitMs) {
            stop(pid);
            return std::nullopt;
        }
        usleep(500);
    }
    QFile file(painted);
    file.open(QIODevice::ReadOnly);
    StartRun run;
    run.paintedMs = double(file.readAll().trimmed().toLongLong() - started) / 1e6;
    usleep(kRestMs * 1000);
    run.residentMb = residentMegabytes(pid);
    const std::set<QString> libraries = mappedLibraries(pid);
    run.libraries = int(libraries.size());
    run.engineMapped = webEngineMapped(libraries);
    stop(pid);
    return run;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void printFigure(const char* what, const char* unit, const std::vector<double>& program,
                 const std::vector<double>& minimal, double target)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < std::min(program.size(), minimal.size()); ++i)
        ratios.push_back(program[i] / minimal[i]);
    const auto [programMin, programMax] = std::minmax_element(program.begin(), program.end());
    std::printf("  %-22s program %7.1f %s (%.1f..%.1f)   minimal window %7.1f %s   ratio %.2f (target <= %.1f)\n",
                what, median(program), unit, *programMin, *programMax, median(minimal), unit, median(ratios), target);
}

// One display: RUNS interleaved runs of the program and of the minimal window, after a warm-up of each.
void benchStart(const QString& name, const QString& platform, const QString& display, int runs,
                const QString& program)
{
    Sandbox sandbox;
    const QString minimal = QStringLiteral(SORVANTA_MINIMAL_WINDOW);
    std::vector<double> programMs, minimalMs, programMb, minimalMb;
    StartRun lastProgram, lastMinimal;
    for (int run = -1; run < runs; ++run) {
        const std::optional<StartRun> a = measureStart(program, sandbox, platform, display);
        const std::optional<StartRun> b = measureStart(minimal, sandbox, platform, display);
        if (!a || !b) {
            std::printf("%s: a start failed (no first paint within %d s)\n", qPrintable(name), kStartLimitMs / 1000);
            return;
        }
        if (run < 0)
            continue;   // the warm-up
        programMs.push_back(a->paintedMs);
        minimalMs.push_back(b->paintedMs);
        programMb.push_back(a->residentMb);
        minimalMb.push_back(b->residentMb);
        lastProgram = *a;
        lastMinimal = *b;
    }
    std::printf("%s: %d runs of each, interleaved, after one warm-up\n", qPrintable(name), runs);
    printFigure("main window painted", "ms", programMs, minimalMs, 1.5);
    printFigure("resident 3 s later", "MB", programMb, minimalMb, 2.0);
    std::printf("  %-22s program %d, minimal window %d; web engine, Quick or QML mapped: %s\n", "shared objects",
                lastProgram.libraries, lastMinimal.libraries, lastProgram.engineMapped ? "yes" : "no");
}

// ---- the HTML page's first opening, in a child process of its own ----

void pump(int ms)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool pumpUntil(const std::function<bool()>& condition, int ms)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition() && waited.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return condition();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// Opens a text project in the program's own windows, then switches it to "html"; writes to resultFile the
// milliseconds until the page is loaded and editable and the resident megabytes before and 3 s after.
int openHtmlPageOnce(int argc, char** argv, const QString& resultFile)
{
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");   // as the program does for root
    qputenv("SORVANTA_HTML_ENGINE", SORVANTA_HTML_ENGINE_MODULE);
    QApplication app(argc, argv);
    const QString folder = qEnvironmentVariable("SORVANTA_HOME") + u'/';
    DefaultIniInfo = DefaultIniInfoValues();
    DefaultIniInfo.PathPro = folder;
    writeFile(folder + "Mailing.eml", "[Common]\r\nSubject=News\r\nHtml=0\r\n");
    writeFile(folder + "Mailing.txt", "Ann;ann@example.com\r\nBob;bob@example.com\r\n");
    writeFile(folder + "Mailing.mml", "Dear [Column#1],\r\n\r\nour news of the month.\r\n\r\nRegards\r\n");
    TMainForm form;
    form.showMaximized();
    if (OpenProject(folder + "Mailing.eml", false) != OpenProjectOutcome::Opened)
        return 1;
    pump(1000);
    const double before = residentMegabytes(getpid());
    TNewMod2MessageForm* editor = NewMod2MessageForm;
    QElapsedTimer opening;
    opening.start();
    editor->BoxTypeMes->setCurrentIndex(1);
    emit editor->BoxTypeMes->activated(1);
    if (!pumpUntil([&] { return editor->htmlPage->DocumentReady(); }, kStartLimitMs))
        return 1;
    const qint64 ms = opening.elapsed();
    pump(kRestMs);
    editor->cbModi->setChecked(false);
    writeFile(resultFile, QByteArray::number(ms) + ' ' + QByteArray::number(before) + ' '
                              + QByteArray::number(residentMegabytes(getpid())) + '\n');
    _exit(0);   // no close question, no settings written
}

void benchHtmlPage(const QString& name, const QString& platform, const QString& display, int runs)
{
    Sandbox sandbox;
    const QString result = sandbox.root.path() + QStringLiteral("/page");
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    std::vector<double> ms, added;
    for (int run = 0; run < runs; ++run) {
        QFile::remove(result);
        const pid_t pid = spawn(self, {QStringLiteral("html-page"), result}, sandbox.environment(platform, display));
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid || !QFile::exists(result)) {
            std::printf("%s: the HTML page did not open\n", qPrintable(name));
            return;
        }
        QFile file(result);
        file.open(QIODevice::ReadOnly);
        const QList<QByteArray> figures = file.readAll().trimmed().split(' ');
        ms.push_back(figures.value(0).toDouble());
        added.push_back(figures.value(2).toDouble() - figures.value(1).toDouble());
    }
    const auto [fastest, slowest] = std::minmax_element(ms.begin(), ms.end());
    std::printf("%s: HTML page opened the first time: median %.0f ms (%.0f..%.0f) over %d runs, resident +%.1f MB\n",
                qPrintable(name), median(ms), *fastest, *slowest, runs, median(added));
}

// A display of Xvfb's own for the xcb runs, or none when Xvfb is not installed.
struct VirtualDisplay {
    pid_t pid = -1;
    QString name;

    VirtualDisplay()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return;
        for (int number = 60; number < 100 && name.isEmpty(); ++number) {
            const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
            if (QFile::exists(socket) || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
                continue;
            pid = spawn(xvfb, {QStringLiteral(":%1").arg(number), QStringLiteral("-screen"), QStringLiteral("0"),
                               QStringLiteral("1366x768x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")}, {});
            QElapsedTimer waited;
            waited.start();
            while (pid > 0 && !QFile::exists(socket) && waited.elapsed() < 10000)
                usleep(10000);
            if (QFile::exists(socket))
                name = QStringLiteral(":%1").arg(number);
        }
    }
    ~VirtualDisplay()
    {
        if (pid > 0)
            stop(pid);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "html-page")
        return openHtmlPageOnce(argc, argv, QFile::decodeName(argv[2]));
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const QString program = argc > 2 ? QFile::decodeName(argv[2]) : QStringLiteral(SORVANTA_PROGRAM);
    std::printf("program %s\n", qPrintable(program));
    std::printf("load average %s\n", qPrintable(loadAverage()));
    benchStart(QStringLiteral("offscreen"), QStringLiteral("offscreen"), QString(), runs, program);
    benchHtmlPage(QStringLiteral("offscreen"), QStringLiteral("offscreen"), QString(), std::max(3, runs / 2));
    VirtualDisplay display;
    if (display.name.isEmpty()) {
        std::printf("Xvfb: not installed, no xcb runs\n");
    } else {
        benchStart(QStringLiteral("Xvfb"), QStringLiteral("xcb"), display.name, runs, program);
        benchHtmlPage(QStringLiteral("Xvfb"), QStringLiteral("xcb"), display.name, std::max(3, runs / 2));
    }
    std::printf("load average %s\n", qPrintable(loadAverage()));
    return 0;
}
