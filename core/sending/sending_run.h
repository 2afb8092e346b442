// SendingRun: the state one sending window shares between its two paths: the result grid (row status =
// SendRowStatus), the window's message texts, the counters of the status bar, the row last handed to the
// external server, the Stop request and the series counters.
#pragma once

#include "core/sending/send_engine.h"
#include "platform/string_grid.h"

#include <QStringList>

struct SendingRun {
    explicit SendingRun(TSeriesObj& seriesObject = SeriesObj) : series(seriesObject) {}
    Q_DISABLE_COPY_MOVE(SendingRun)

    StringGrid results{resultColumnCount, 2};
    QStringList texts = sendingWindowTexts();
    TSeriesObj& series;         // the project's series setting and its counters
    int CurrentRow = 0;         // external path: the row last handed over; start row - 1 before a run
    bool StopFlag = false;
    int Waiting = 0;
    int Good = 0;
    int Bad = 0;
    int Unknown = 0;            // rows whose message the server may have (rowUnknown)
    bool utf8Fallback = false;  // a message went in UTF-8 because the charset lacks some of its characters

    QString text(int index) const { return texts.value(index); }
    // Counts a finished row in Good, Unknown or Bad by the status it ended with.
    void countResult(int status) { ++(status == rowGood ? Good : status == rowUnknown ? Unknown : Bad); }
};
