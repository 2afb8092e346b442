// Error codes and texts that SendMail (and GetMail, which shares the socket table) hand to OnMailError.
// The texts are the components' own, spelling included; socket errors arrive as Winsock numbers.
#pragma once

#include <QString>

// SendMailError values that do not come from the socket table.
namespace sendmail_error {
constexpr int Timeout = 8;              // "Connection timed out" (a countdown ran out)
constexpr int UnexpectedResponse = 13;  // "Unexpected response: " + the reply line
constexpr int Cancelled = 14;           // the owner cancelled; no event
constexpr int PrematureDisconnect = 17; // "Prematurely Disconnected"
constexpr int NoDestination = 18;       // "Mail Destination Error"
constexpr int HostUnreachable = 19;     // "Host Unreachable" (10065)
constexpr int SecureConnectionFailed = 20;  // "Secure connection to <host> failed: <reason>"
}  // namespace sendmail_error

struct MailErrorText {
    int code = 0;
    QString text;
};

// The code and text for a Winsock error number (nonzero): "Address resolution error" for 11001..11004,
// "Unknown Error" (15) for numbers outside the table.
MailErrorText mailErrorForSocketError(int winsockError);
