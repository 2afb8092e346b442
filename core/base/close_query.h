// A close event that only asks: a window answers it as its close query (accepted or ignored) and does none of
// what it does when it really closes. The main window's Exit asks its children with it before its own question,
// so that a "No" to quitting leaves every child as it was.
#pragma once

#include <QCloseEvent>

class CloseQueryEvent : public QCloseEvent {};

inline bool isCloseQueryOnly(const QCloseEvent* event)
{
    return dynamic_cast<const CloseQueryEvent*>(event) != nullptr;
}
