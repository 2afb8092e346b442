// MessageBox in place of the Windows one, with the flags and results of platform/message_box_flags.h.
// Tests install a responder that answers instead of a modal box.
#pragma once

#include "platform/message_box_flags.h"

#include <QString>

#include <functional>

class QWidget;

// Shows text with caption and the buttons and icon of flags; returns the ID of the button pressed
// (the Escape key or the close button answer IDCANCEL, or IDNO / IDOK where there is no Cancel).
int messageBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags);

// What a test answers in place of the box; it also sees every box shown. Null restores the real box.
using MessageBoxResponder = std::function<int(const QString& text, const QString& caption, unsigned flags)>;
void setMessageBoxResponder(MessageBoxResponder responder);
