// Command-line classification: see command_line.h.

#include "core/base/command_line.h"

#include <QFileInfo>

CommandLineRequest classifyCommandLine(const QStringList& parameters)
{
    CommandLineRequest request;
    if (parameters.size() < 2 || !QFileInfo(parameters[1]).isFile())
        return request;
    const QString& option = parameters[0];
    const bool verify = option == QLatin1String("-s");
    const bool view = option == QLatin1String("-v");
    if (!verify && !view)
        return request;
    request.fileName = parameters[1];
    request.endAfterToolWindow = view;
    request.createEditor = parameters.size() >= 3;
    request.startVerification = request.createEditor && verify;
    return request;
}
