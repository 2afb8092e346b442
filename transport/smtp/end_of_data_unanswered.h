// The words for a message whose final "." went out without a reply: the server may have it, so its outcome
// is unknown. Both sending paths give one of them as the row's comment, in place of the last reply seen
// (the "354" to DATA), so the user sees why.
#pragma once

#include <QString>

// The time-out ran out while the reply to "." was awaited.
QString noReplyToEndOfDataText(int timeOutSeconds);
// The connection closed (or was reset) after "." and before any reply.
QString closedAfterEndOfDataText();
