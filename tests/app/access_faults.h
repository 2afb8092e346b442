// What a screen reader user meets as broken, found on a shown window: a visible edit, drop-down, spin box or
// list that has no name of its own (neither an accessible name nor a label whose buddy it is: a group box's
// title names the group, not each field in it), two fields of one window under the same name, a drop-down
// announced by its current item in place of its name, a check box without a name, and frames listed to screen
// readers that never appear on the screen.
#pragma once

#include "tests/app/layout_faults.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWindow>

namespace sorvanta::test {

// The fields a screen reader must name; the edit inside a drop-down or spin box is its owner's part.
inline bool isNamedField(const QWidget* widget)
{
    const QWidget* owner = widget->parentWidget();
    if (qobject_cast<const QComboBox*>(owner) || qobject_cast<const QAbstractSpinBox*>(owner))
        return false;
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget)
           || qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QComboBox*>(widget)
           || qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QListView*>(widget);
}

// The name a screen reader gives field: its accessible name, else the text of a label that Qt relates to it as
// its label (a label of the same parent whose buddy it is), without the mnemonic's "&".
inline QString ownName(QWidget* field)
{
    if (!field->accessibleName().trimmed().isEmpty())
        return field->accessibleName().trimmed();
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(field);
    if (!accessible)
        return {};
    for (const auto& [other, relation] : accessible->relations(QAccessible::Label)) {
        Q_UNUSED(relation);
        if (qobject_cast<const QLabel*>(other->object()))
            return other->text(QAccessible::Name).trimmed();
    }
    return {};
}

// What a screen reader announces as widget's name.
inline QString announcedName(QWidget* widget)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name).trimmed() : QString();
}

// A visible drop-down announced by its current item (as if that were its name), and a visible check box that
// is announced without a name.
inline QStringList announcedNameFaults(const QWidget* window)
{
    QStringList faults;
    for (QComboBox* box : window->findChildren<QComboBox*>()) {
        const QString current = box->currentText().trimmed();
        if (box->isVisible() && !current.isEmpty() && announcedName(box) == current)
            faults << QStringLiteral("announced by its current item \"%1\": ").arg(current) + widgetPath(box);
    }
    for (QCheckBox* check : window->findChildren<QCheckBox*>()) {
        if (check->isVisible() && announcedName(check).isEmpty())
            faults << QStringLiteral("check box without a name: ") + widgetPath(check);
    }
    return faults;
}

// Every visible field of window without a name, or with a name another field of the window has, and the
// fields announced under the wrong name or none.
inline QStringList accessibleNameFaults(const QWidget* window)
{
    QStringList faults = announcedNameFaults(window);
    QHash<QString, QString> fieldOfName;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisible() || !isNamedField(widget))
            continue;
        const QString name = ownName(widget);
        if (name.isEmpty()) {
            faults << QStringLiteral("no accessible name: ") + widgetPath(widget);
            continue;
        }
        if (fieldOfName.contains(name))
            faults << QStringLiteral("accessible name \"%1\" also names %2: ").arg(name, fieldOfName[name])
                          + widgetPath(widget);
        else
            fieldOfName.insert(name, widgetPath(widget));
    }
    return faults;
}

// The frames the application lists to screen readers that were never put on the screen (no window of the
// platform behind them), by their accessible names.
inline QStringList framesNeverShown()
{
    QStringList frames;
    QAccessibleInterface* application = QAccessible::queryAccessibleInterface(qApp);
    for (int i = 0; application && i < application->childCount(); ++i) {
        QAccessibleInterface* frame = application->child(i);
        const QObject* object = frame ? frame->object() : nullptr;
        const auto* window = qobject_cast<const QWindow*>(object);
        const auto* widget = qobject_cast<const QWidget*>(object);
        const bool created = window ? window->handle() != nullptr
                                    : widget && widget->testAttribute(Qt::WA_WState_Created);
        if (!created)
            frames << QStringLiteral("\"%1\" (%2)").arg(frame ? frame->text(QAccessible::Name) : QString(),
                                                    object ? object->metaObject()->className() : "no object");
    }
    return frames;
}

}  // namespace sorvanta::test
