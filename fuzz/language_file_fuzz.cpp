// libFuzzer target for language files applied to a window: the bytes are the entries of the preferences
// window's section (its heading is put before them). Any entry is applied or skipped, never a crash, whatever
// component, property, index or value it names; the window then goes back to the texts it was built with.
// Build and run: scripts/fuzz build, then scripts/fuzz run 60 language_file_fuzz (see scripts/fuzz).

#include "core/language/language_built_texts.h"
#include "core/language/language_file.h"
#include "core/preferences/preferences_form.h"
#include "core/settings/accounts.h"
#include "core/settings/ini_info.h"
#include "fuzz/fuzz_files.h"

#include <QApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<QApplication> application;
std::unique_ptr<TFPref> window;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application = std::make_unique<QApplication>(*argc, *argv);
    fuzzfiles::scratchFolder();
    DefaultIniInfo = DefaultIniInfoValues();
    ProjectIniInfo = DefaultIniInfoValues();
    Accounts.Add(std::make_unique<tAccountObj>(true));
    window = std::make_unique<TFPref>(SettingsScope::Default);
    // Registered after Qt's own globals were made, so it runs before they are destroyed.
    std::atexit([] {
        window.reset();
        application.reset();
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray heading = "[" + languageSection(window.get()).toUtf8() + "]\r\n";
    const QString path = fuzzfiles::writeScratchFile(
        QStringLiteral("fuzz.lan"), heading + QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QString title = window->windowTitle();
    LoadLanguage(window.get(), path);
    RestoreBuiltTexts(window.get());
    if (window->windowTitle() != title)
        std::abort();
    return 0;
}
