// MessageBox adaptor over QMessageBox: see message_box.h.

#include "platform/widgets/message_box.h"

#include <QMessageBox>

#include <utility>
#include <vector>

namespace {

MessageBoxResponder g_responder;

struct ButtonSet {
    std::vector<std::pair<QMessageBox::StandardButton, int>> buttons;
    int escapeResult;
};

ButtonSet buttonsFor(unsigned flags)
{
    using B = QMessageBox;
    switch (flags & 0xF) {
    case MB_OKCANCEL:
        return {{{B::Ok, IDOK}, {B::Cancel, IDCANCEL}}, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
        return {{{B::Abort, IDABORT}, {B::Retry, IDRETRY}, {B::Ignore, IDIGNORE}}, IDCANCEL};
    case MB_YESNOCANCEL:
        return {{{B::Yes, IDYES}, {B::No, IDNO}, {B::Cancel, IDCANCEL}}, IDCANCEL};
    case MB_YESNO:
        return {{{B::Yes, IDYES}, {B::No, IDNO}}, IDNO};
    case MB_RETRYCANCEL:
        return {{{B::Retry, IDRETRY}, {B::Cancel, IDCANCEL}}, IDCANCEL};
    default:
        return {{{B::Ok, IDOK}}, IDOK};
    }
}

QMessageBox::Icon iconFor(unsigned flags)
{
    switch (flags & 0xF0) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

}  // namespace

int messageBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags)
{
    if (g_responder)
        return g_responder(text, caption, flags);

    const ButtonSet set = buttonsFor(flags);
    QMessageBox box(iconFor(flags), caption, text, QMessageBox::NoButton, parent);
    for (const auto& [button, id] : set.buttons)
        box.addButton(button);
    // As in Windows, a default button beyond the box's buttons makes the first one the default.
    const std::size_t asked = (flags >> 8) & 0x3;
    box.setDefaultButton(set.buttons[asked < set.buttons.size() ? asked : 0].first);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const auto& [button, id] : set.buttons)
        if (button == clicked)
            return id;
    return set.escapeResult;
}

void setMessageBoxResponder(MessageBoxResponder responder)
{
    g_responder = std::move(responder);
}
