// A send log read back: see log_list.h.

#include "core/logs/log_list.h"

#include "core/base/text_helpers.h"
#include "platform/text_file.h"

#include <QLocale>

namespace {

// The log writes "hh:nn:ss"; the user's own time format is accepted too.
QTime timeOfField(const QString& field)
{
    QTime time = QTime::fromString(field, QStringLiteral("H:m:s"));
    if (!time.isValid())
        time = QLocale().toTime(field, QLocale::ShortFormat);
    if (!time.isValid())
        time = QLocale().toTime(field, QLocale::LongFormat);
    return time.isValid() ? time : QTime(0, 0);
}

}  // namespace

TLogDataObj::TLogDataObj(const QString& okText, const QString& noText) : OkText(okText), NoText(noText) {}

void TLogDataObj::ParseLine(const QString& line)
{
    const QStringList fields = splitTextItems(QLatin1Char(';'), line);
    Time = timeOfField(fields.value(0));
    Address = fields.value(1);
    const QString state = fields.value(2);
    Status = fields.size() < 3 ? 0 : state == OkText ? kStatusOk : state == NoText ? kStatusNo : 0;
    Comment = fields.value(3);
}

QString TLogDataObj::statusText() const
{
    switch (Status) {
    case kStatusOk: return OkText;
    case kStatusNo: return NoText;
    default: return {};
    }
}

QString TLogDataObj::timeText() const
{
    return Time.toString(QStringLiteral("hh:mm:ss"));
}

TLogListObj::TLogListObj(const QString& fileName, const QString& okText, const QString& noText)
    : FileName(fileName), OkText(okText), NoText(noText)
{
}

void TLogListObj::LoadLog()
{
    Items.clear();
    if (FileName.isEmpty())
        return;
    const std::optional<QString> text = readTextFile(FileName);
    if (!text)
        return;
    for (const QString& line : splitLines(*text)) {
        auto item = std::make_unique<TLogDataObj>(OkText, NoText);
        item->ParseLine(line);
        Items.push_back(std::move(item));
    }
}
