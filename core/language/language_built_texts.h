// The texts a window was built with, kept the first time a language file changes each one, so that choosing
// "Default (English)" brings them back however many languages were applied since. The window holds them
// itself (in a nameless child object), so they go when it goes.
#pragma once

#include "core/language/language_properties.h"

class QWidget;

// Keeps target's current text as window's built text unless one is kept already; call before changing it.
void keepBuiltText(QWidget* window, const LanguageTarget& target);
// Puts every kept text of window back; lines and items that no longer exist are skipped.
void RestoreBuiltTexts(QWidget* window);
