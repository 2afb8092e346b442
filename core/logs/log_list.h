// TLogDataObj and TLogListObj: a send log read back for the log viewer, one item per line. A line is
// "time;address;state;comment" (further fields ignored, missing ones empty); the state counts only when it is
// exactly the current language's "Ok" or "No" text. An unreadable time reads as 0; a missing file as no items.
#pragma once

#include <QString>
#include <QTime>

#include <memory>
#include <vector>

class TLogDataObj {
public:
    static constexpr int kStatusOk = 2;
    static constexpr int kStatusNo = 3;

    TLogDataObj(const QString& okText, const QString& noText);

    // Clears the item, then fills it from one log line.
    void ParseLine(const QString& line);

    QTime Time{0, 0};      // 00:00:00 when the first field is not a time
    QString Address;
    int Status = 0;        // kStatusOk, kStatusNo, or 0 for any other state text
    QString Comment;
    QString OkText;
    QString NoText;

    // OkText, NoText or empty, by Status.
    QString statusText() const;
    // The time as "hh:nn:ss".
    QString timeText() const;
};

class TLogListObj {
public:
    TLogListObj(const QString& fileName, const QString& okText, const QString& noText);

    // Replaces Items with one item per line of the file; a missing or unreadable file leaves none.
    void LoadLog();
    int Count() const { return int(Items.size()); }

    std::vector<std::unique_ptr<TLogDataObj>> Items;
    QString FileName;
    QString OkText;
    QString NoText;
};
