// What screen readers learn of a drop-down box: its name is its own accessible name or its label's text (the
// label whose buddy it is), its value the current item. Qt's own interface for drop-downs on Linux gives the
// current item as the name, so every box was announced as "English(en)" or ";" instead of what it chooses.
// Everything else is as Qt's: the role, the popup list and the edit as children, the show-menu and press actions.
#pragma once

#include <QAccessibleWidget>

class QComboBox;

class DropDownAccessible : public QAccessibleWidget {
public:
    explicit DropDownAccessible(QComboBox* box);

    // Puts this interface in place of Qt's for every drop-down of the application; later calls do nothing.
    static void install();

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    QComboBox* box() const;
    QList<QWidget*> parts() const;   // the popup list, and the edit of an editable box
};
