// TMsgLanguage: a window's run-time message texts (message boxes, status texts), picked by index.
// A non-visual child of the window named "msl", so a language file can replace its Items lines
// ("msl.Items.5=..."). An index outside the list gives an empty text and changes nothing, never a crash.
#pragma once

#include <QObject>
#include <QStringList>

class TMsgLanguage : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList Items READ items WRITE setItems)

public:
    TMsgLanguage(QObject* owner, const QStringList& items);

    const QStringList& items() const { return m_items; }
    void setItems(const QStringList& items) { m_items = items; }
    // Message number index, or an empty text when there is none.
    QString text(int index) const { return m_items.value(index); }
    // Replaces message number index; an index outside the list is ignored.
    void setText(int index, const QString& text);

private:
    QStringList m_items;
};
