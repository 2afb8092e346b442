// Texts for an unanswered end of data: see end_of_data_unanswered.h.

#include "transport/smtp/end_of_data_unanswered.h"

QString noReplyToEndOfDataText(int timeOutSeconds)
{
    return QStringLiteral("No reply to \".\" within %1 s").arg(timeOutSeconds);
}

QString closedAfterEndOfDataText()
{
    return QStringLiteral("Connection closed after \".\" before any reply");
}
