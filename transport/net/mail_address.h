// The check an e-mail address passes before it is written into an SMTP command or a header line. It is
// about safety, not syntax: an address holding white space, a control character or an angle bracket
// could end the command early, add an ESMTP parameter ("<a@b>\tNOTIFY=NEVER") or start a header line.
#pragma once

#include <QString>
#include <QStringView>

// True when address holds no white space (blank, TAB, VT, FF, CR, LF, NEL, no-break space...), no other
// control character (C0, DEL, C1) and no "<" or ">". The empty text passes: whether one is needed is
// the caller's rule.
bool isCommandSafeAddress(QStringView address);

// The address for an error text: control characters written as "\xNN", so the text stays one line.
QString printableAddress(QStringView address);
