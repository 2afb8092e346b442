// libFuzzer target for the project file ".eml": any bytes open as a project (settings, attachments); the
// project written back opens to the same settings and attachments, so a second write gives the same bytes.
// The list file exists, so no legacy list named by the file is ever copied.
// Build and run: scripts/fuzz build, then scripts/fuzz run 60 project_eml_fuzz (see scripts/fuzz).

#include "core/project/project_attachments.h"
#include "core/project/project_files.h"
#include "core/settings/ini_info.h"
#include "fuzz/fuzz_files.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QStringList attachmentPaths()
{
    QStringList paths;
    for (const AttachmentRecord& record : std::as_const(ProjectAttachments))
        paths.append(record.filePath);
    return paths;
}

QByteArray openAndWrite()
{
    ProjectIniInfo = DefaultIniInfoValues();
    ProjectIniInfo.PathPro = fuzzfiles::scratchFolder();
    ProjectIniInfo.ProjectName = QStringLiteral("fuzz");
    LoadMailProject();
    if (!WriteMailProjectFile(attachmentPaths()))
        std::abort();
    return fuzzfiles::readScratchFile(QStringLiteral("fuzz.eml"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzfiles::writeScratchFile(QStringLiteral("fuzz.txt"), "a@b.test\r\n");
    fuzzfiles::writeScratchFile(QStringLiteral("fuzz.eml"), QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QByteArray first = openAndWrite();
    const QStringList firstAttachments = attachmentPaths();
    if (openAndWrite() != first || attachmentPaths() != firstAttachments)
        std::abort();
    return 0;
}
