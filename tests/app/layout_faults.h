// What a user sees as a broken window, found on a shown window: a window that does not fit the desktop, a
// visible widget that sticks out of its parent (cut off), a button, edit or box smaller than its own text needs,
// a label whose text does not fit, and an editing area (the plain-text editor, the HTML page, the sending
// window's result grid) lower than eight lines of its font.
// Widgets placed on a scrolled surface (a scroll area's or the MDI area's viewport) are left out: they move.
#pragma once

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QScreen>
#include <QStringList>
#include <QTextDocument>
#include <QWidget>

#include <algorithm>

namespace sorvanta::test {

// "Class 'name' in Parent 'name'": enough to find the widget in the window's code.
inline QString widgetName(const QWidget* widget)
{
    QString text = QString::fromLatin1(widget->metaObject()->className());
    if (!widget->objectName().isEmpty())
        text += QStringLiteral(" '%1'").arg(widget->objectName());
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        text += QStringLiteral(" \"%1\"").arg(label->text());
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        text += QStringLiteral(" \"%1\"").arg(button->text());
    if (const auto* sub = qobject_cast<const QMdiSubWindow*>(widget); sub && sub->widget())
        text += QStringLiteral(" of ") + widgetName(sub->widget());
    return text;
}

inline QString widgetPath(const QWidget* widget)
{
    QString path = widgetName(widget);
    if (const QWidget* parent = widget->parentWidget())
        path += QStringLiteral(" in ") + widgetName(parent);
    return path;
}

// A widget that the user can scroll into view (the MDI area scrolls only when it shows scroll bars).
inline bool onScrolledSurface(const QWidget* widget)
{
    const QWidget* parent = widget->parentWidget();
    const auto* area = parent ? qobject_cast<const QAbstractScrollArea*>(parent->parentWidget()) : nullptr;
    return area && area->viewport() == parent
           && (area->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff
               || area->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff);
}

// The text a label shows: the mnemonic's "&" goes when the label has a buddy, rich text becomes its lines.
inline QStringList shownLines(const QLabel* label)
{
    const QString text = label->text();
    const bool rich = label->textFormat() == Qt::RichText
                      || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
    if (rich) {
        QTextDocument document;
        document.setHtml(text);
        return document.toPlainText().split(QChar::LineSeparator).join('\n').split('\n');
    }
    QString shown = text;
    if (label->buddy())
        shown.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
    return shown.split('\n');
}

inline QString labelFault(const QLabel* label)
{
    if (label->wordWrap() || label->text().isEmpty() || !label->pixmap().isNull())
        return {};
    const QFontMetrics metrics(label->font());
    const QStringList lines = shownLines(label);
    const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                      -label->margin());
    const int indent = std::max(label->indent(), 0);
    for (const QString& line : lines) {
        const int needed = metrics.horizontalAdvance(line) + indent;
        if (needed > room.width())
            return QStringLiteral("label text cut off (%1 px wide, needs %2): ").arg(room.width()).arg(needed)
                   + widgetPath(label);
    }
    const int neededHeight = int(lines.size()) * metrics.height();
    if (neededHeight > room.height())
        return QStringLiteral("label text cut off (%1 px high, needs %2): ").arg(room.height()).arg(neededHeight)
               + widgetPath(label);
    return {};
}

// Buttons, edits, drop-downs and spin boxes smaller than they need to show their text.
inline QString squeezeFault(const QWidget* widget)
{
    const bool textWidget = qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget)
                            || qobject_cast<const QComboBox*>(widget)
                            || qobject_cast<const QAbstractSpinBox*>(widget);
    // The edit inside a drop-down or spin box is sized by the style within its owner, which is checked itself.
    const QWidget* owner = widget->parentWidget();
    const bool partOfOwner = qobject_cast<const QComboBox*>(owner) || qobject_cast<const QAbstractSpinBox*>(owner);
    // A button that shows only an icon has no text to cut.
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    if (!textWidget || partOfOwner || (button && button->text().isEmpty()))
        return {};
    const QSize needed = widget->minimumSizeHint();
    const bool buttonTooNarrow = qobject_cast<const QAbstractButton*>(widget) && widget->width() < needed.width();
    if (!buttonTooNarrow && widget->height() >= needed.height())
        return {};
    return QStringLiteral("squeezed (%1x%2, needs %3x%4): ")
               .arg(widget->width()).arg(widget->height()).arg(needed.width()).arg(needed.height())
           + widgetPath(widget);
}

inline QString placementFault(const QWidget* widget)
{
    const QWidget* parent = widget->parentWidget();
    if (!parent || onScrolledSurface(widget) || parent->rect().contains(widget->geometry()))
        return {};
    const QRect at = widget->geometry();
    return QStringLiteral("outside its parent (%1,%2 %3x%4 in %5x%6): ")
               .arg(at.x()).arg(at.y()).arg(at.width()).arg(at.height())
               .arg(parent->width()).arg(parent->height())
           + widgetPath(widget);
}

// What a window's own area can take of screen on a desktop: the free area less a panel and the window
// manager's title bar (about three quarters of an inch in all on common desktops) and its borders (a sixth of
// an inch). The offscreen screen has neither, so their room is left here.
inline QSize desktopRoom(const QScreen* screen)
{
    const double dpi = screen->logicalDotsPerInch();
    return screen->availableGeometry().size() - QSize(qRound(dpi / 6), qRound(dpi * 3 / 4));
}

// A window larger than the room its screen leaves it on a desktop is cut off by the screen.
inline QString screenFault(const QWidget* window)
{
    const QScreen* screen = window->screen();
    const QSize size = window->size();
    const QSize room = screen ? desktopRoom(screen) : size;
    if (size.width() <= room.width() && size.height() <= room.height())
        return {};
    return QStringLiteral("larger than the screen (%1x%2 on %3x%4): ")
               .arg(size.width()).arg(size.height()).arg(room.width()).arg(room.height())
           + widgetName(window);
}

// The areas the user works in, by component name: each must show at least this many lines of its font.
inline const QStringList editingAreas{QStringLiteral("Memo1"), QStringLiteral("WB"), QStringLiteral("sgR")};
constexpr int kEditingAreaLeastLines = 8;

inline QString editingAreaFault(const QWidget* widget)
{
    if (!editingAreas.contains(widget->objectName()))
        return {};
    const int least = kEditingAreaLeastLines * widget->fontMetrics().lineSpacing();
    if (widget->height() >= least)
        return {};
    return QStringLiteral("editing area %1 px high, less than %2 lines (%3 px): ")
               .arg(widget->height())
               .arg(kEditingAreaLeastLines)
               .arg(least)
        + widgetPath(widget);
}

// Every fault of window and its visible widgets, one line each.
inline QStringList layoutFaults(const QWidget* window)
{
    QStringList faults;
    if (const QString fault = screenFault(window); !fault.isEmpty())
        faults << fault;
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget->isWindow())
            continue;
        for (const QString& fault : {placementFault(widget), squeezeFault(widget), editingAreaFault(widget),
                                     qobject_cast<const QLabel*>(widget) ? labelFault(qobject_cast<const QLabel*>(widget))
                                                                         : QString()})
            if (!fault.isEmpty())
                faults << fault;
    }
    return faults;
}

}  // namespace sorvanta::test
