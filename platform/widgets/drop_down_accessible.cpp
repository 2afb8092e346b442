// DropDownAccessible: see drop_down_accessible.h.

#include "platform/widgets/drop_down_accessible.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

namespace {

QAccessibleInterface* dropDownInterface(const QString&, QObject* object)
{
    auto* box = qobject_cast<QComboBox*>(object);
    return box ? new DropDownAccessible(box) : nullptr;
}

}  // namespace

DropDownAccessible::DropDownAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

void DropDownAccessible::install()
{
    static const bool installed = (QAccessible::installFactory(dropDownInterface), true);
    Q_UNUSED(installed);
}

QComboBox* DropDownAccessible::box() const
{
    return static_cast<QComboBox*>(object());
}

QList<QWidget*> DropDownAccessible::parts() const
{
    QList<QWidget*> parts{box()->view()};
    if (box()->isEditable() && box()->lineEdit())
        parts << box()->lineEdit();
    return parts;
}

int DropDownAccessible::childCount() const
{
    return int(parts().size());
}

QAccessibleInterface* DropDownAccessible::child(int index) const
{
    const QList<QWidget*> widgets = parts();
    return index >= 0 && index < widgets.size() ? QAccessible::queryAccessibleInterface(widgets[index]) : nullptr;
}

int DropDownAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    return child ? int(parts().indexOf(qobject_cast<QWidget*>(child->object()))) : -1;
}

QString DropDownAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Value)
        return QAccessibleWidget::text(t);   // the name: the accessible name, else the buddy label's text
    return box()->isEditable() && box()->lineEdit() ? box()->lineEdit()->text() : box()->currentText();
}

QStringList DropDownAccessible::actionNames() const
{
    return {showMenuAction(), pressAction()};
}

void DropDownAccessible::doAction(const QString& actionName)
{
    if (actionName != showMenuAction() && actionName != pressAction())
        return;
    if (box()->view()->isVisible())
        box()->hidePopup();
    else
        box()->showPopup();
}
