// The settings record's defaults and its two instances: see ini_info.h.

#include "core/settings/ini_info.h"

#include "core/base/text_helpers.h"

#include <QStandardPaths>

TIniInfo DefaultIniInfo;
TIniInfo ProjectIniInfo;

QString DefaultProjectFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        return ProgramFolder();
    return documents + QStringLiteral("/Sorvanta/");
}

TIniInfo DefaultIniInfoValues()
{
    TIniInfo settings;
    settings.DnsIP = QString::fromLatin1(defaultDnsServer);
    settings.CharSet = QStringLiteral("English(en),iso-8859-1");
    settings.PathPro = DefaultProjectFolder();
    settings.SectionSymbol = QStringLiteral(";");
    settings.LangFile = QStringLiteral("language.lan");
    return settings;
}
