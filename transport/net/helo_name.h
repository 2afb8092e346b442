// The HELO/EHLO argument when the user sets none. RFC 5321 section 4.1.1.1 asks for the client's fully
// qualified domain name, or an address literal when it has none; servers that check refuse a short name
// ("504 5.5.2 need fully-qualified hostname") and filters score an address literal. So a desktop whose name
// has no dot greets with the account's mail domain when one is set. No lookup here: it never blocks.
#pragma once

#include <QString>

// hostName when it holds a dot between two labels; else mailDomain when it is a domain name (letters,
// digits, hyphens, at least two labels); else "[localAddress]"; hostName when the address is not known
// either (before connecting).
QString heloNameFor(const QString& hostName, const QString& mailDomain, const QString& localAddress);
// heloNameFor with this machine's host name.
QString defaultHeloName(const QString& mailDomain, const QString& localAddress);
// The dotted local IPv4 address a connected socket descriptor is bound to; empty when it has none.
QString socketLocalAddress(int descriptor);
