// Toolbar colour and size values, and the ".hcr" custom-colour files.

#include "core/editor/html_colours.h"

#include "platform/text_file.h"


namespace {

constexpr int kFontSizeCount = 7;

QString slotName(int slot)
{
    return QStringLiteral("Color") + QChar(u'A' + slot);
}

}  // namespace

QString HtmlColourText(const QColor& colour)
{
    return QStringLiteral("#%1%2%3")
        .arg(colour.red(), 2, 16, QLatin1Char('0'))
        .arg(colour.green(), 2, 16, QLatin1Char('0'))
        .arg(colour.blue(), 2, 16, QLatin1Char('0'))
        .toUpper();
}

int FontSizeValue(int index)
{
    return index + 1;
}

int FontSizeIndex(const QString& value)
{
    bool ok = false;
    const int size = value.trimmed().toInt(&ok);
    return ok && size >= 1 && size <= kFontSizeCount ? size - 1 : -1;
}

QString CustomColoursText(const QList<QColor>& colours)
{
    QString text;
    for (int slot = 0; slot < CustomColourCount; ++slot) {
        const QColor colour = slot < colours.size() && colours[slot].isValid() ? colours[slot] : QColor(Qt::white);
        const uint number = uint(colour.blue()) << 16 | uint(colour.green()) << 8 | uint(colour.red());
        text += slotName(slot) + u'=' + QStringLiteral("%1").arg(number, 6, 16, QLatin1Char('0')).toUpper()
                + QStringLiteral("\r\n");
    }
    return text;
}

QList<QColor> ParseCustomColours(const QString& text, QList<QColor> current)
{
    current.resize(CustomColourCount, QColor(Qt::white));
    for (const QString& line : splitLines(text)) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString name = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (name.size() != 6 || !name.startsWith(QStringLiteral("Color"), Qt::CaseInsensitive))
            continue;
        const int slot = name.at(5).toUpper().unicode() - u'A';
        bool ok = false;
        const uint number = value.toUInt(&ok, 16);
        if (slot < 0 || slot >= CustomColourCount || !ok || value.isEmpty() || value.size() > 8 || number > 0xFFFFFF)
            continue;
        current[slot] = QColor(int(number & 0xFF), int(number >> 8 & 0xFF), int(number >> 16 & 0xFF));
    }
    return current;
}
