// The status-code list kept in the settings file: see status_codes.h.

#include "core/settings/status_codes.h"

StringList StatusCodes;

QStringList standardStatusCodeLines()
{
    return {
        QStringLiteral("211  System status, or system help reply"),
        QStringLiteral("214  Help message"),
        QStringLiteral("220  Service ready"),
        QStringLiteral("221  Service closing transmission channel"),
        QStringLiteral("250  Requested mail action okay, completed"),
        QStringLiteral("251  User not local; will forward"),
        QStringLiteral("354  Start mail input; end with <CRLF>.<CRLF>"),
        QStringLiteral("421  Service not available, closing transmission channel"),
        QStringLiteral("450  Requested mail action not taken: mailbox unavailable [E.g., mailbox busy]"),
        QStringLiteral("451  Requested action aborted: local error in processing"),
        QStringLiteral("452  Requested action not taken: insufficient system storage"),
        QStringLiteral("500  Syntax error, command unrecognized"),
        QStringLiteral("501  Syntax error in parameters or arguments"),
        QStringLiteral("502  Command not implemented"),
        QStringLiteral("503  Bad sequence of commands"),
        QStringLiteral("504  Command parameter not implemented"),
        QStringLiteral("550  Requested action not taken: mailbox unavailable [E.g., mailbox not found, no access]"),
        QStringLiteral("551  User not local; please try the forward-path"),
        QStringLiteral("552  Requested mail action aborted: exceeded storage allocation"),
        QStringLiteral("553  Requested action not taken: mailbox name not allowed [E.g., mailbox syntax incorrect]"),
        QStringLiteral("554  Transaction failed"),
    };
}
