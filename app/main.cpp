// Sorvanta's entry point: start-up and shut-down order. The settings are loaded before any window exists and
// stale temporaries of a killed run are swept, the About box stands as the splash while the main window is built,
// the event loop runs until the main window has closed, and the settings are written back at every normal exit
// (a failure is shown, and the old file stays).

#include "core/base/command_line.h"
#include "core/dialogs/about_form.h"
#include "core/frame/main_form.h"
#include "core/frame/startup_clean_up.h"
#include "core/settings/settings_file.h"
#include "core/verify/verify_form.h"
#include "lists/delete_from_list_dialog.h"
#include "lists/filter_window.h"
#include "lists/import_wizard.h"
#include "lists/list_editor_window.h"
#include "lists/quarvel_import.h"
#include "lists/save_results_dialog.h"
#include "platform/widgets/message_box.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <unistd.h>
#include <exception>
#include <memory>

namespace {

// The tools the editor opens by code (core/base/tool_commands.h); codes without a tool say "not available yet".
void registerListTools()
{
    registerImportWizardTool();
    registerVerifyListTool();
    registerListEditorTool();
    registerFilterListTool();
    registerSaveResultsTool();
    registerDeleteFromListTool();
    registerAddressBookImportTool();
}

// The HTML editor's engine refuses to start as root with its sandbox on. Only then is the sandbox turned off,
// and the user told once; any other user keeps it.
void allowHtmlEngineAsRoot()
{
    if (geteuid() != 0 || qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        return;
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    std::fprintf(stderr, "sorvanta: running as root: the HTML editor's sandbox is turned off\n");
}

void reportFailure(const QString& what)
{
    std::fprintf(stderr, "sorvanta: %s\n", qPrintable(what));
    messageBox(nullptr, what, QStringLiteral("Error"), MB_OK | MB_ICONERROR);
}

}  // namespace

int main(int argc, char** argv)
{
    allowHtmlEngineAsRoot();
    QApplication app(argc, argv);
    const QString settingsNotice = unreadableSettingsMessage(LoadSettings());
    if (!settingsNotice.isEmpty())
        messageBox(nullptr, settingsNotice, QStringLiteral("Warning"), MB_OK | MB_ICONWARNING);
    RemoveStaleTemporariesAtStartUp();
    registerListTools();

    std::unique_ptr<TAboutForm> splash(ShowSplash());
    QApplication::setApplicationName(QStringLiteral("Sorvanta"));
    QApplication::setApplicationVersion(QLatin1String(SorvantaVersion));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/sorvanta.png")));

    std::unique_ptr<TMainForm> mainForm;
    try {
        mainForm = std::make_unique<TMainForm>(classifyCommandLine(QApplication::arguments().mid(1)));
    } catch (const std::exception& failure) {
        splash.reset();
        reportFailure(QString::fromLocal8Bit(failure.what()));
        return 1;
    }
    splash.reset();

    mainForm->showMaximized();
    const int exitCode = app.exec();
    mainForm.reset();

    QString error;
    if (!SaveSettings(&error))
        reportFailure(error);
    return exitCode;
}
