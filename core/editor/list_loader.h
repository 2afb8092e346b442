// The editor's list load with the progress window: the list file's lines on the gauge (caption: the caller's
// text, ".. " and the file name) and its Stop button, which ends the load keeping the rows read so far. Pending
// events are processed every few milliseconds, not after every line. A file that exists but cannot be read is
// shown in a message box ("<file> : <reason>"). A second load asked for while one runs (from the pumped events)
// does nothing and answers a result with fileFound false.
#pragma once

#include "core/project/list_file.h"

class ListLoader {
public:
    ListLoadResult load(StringGrid& grid, const QString& fileName, const QString& delimiter,
                        const QString& progressCaption);
    bool busy() const { return m_loading; }

private:
    bool m_loading = false;
};
