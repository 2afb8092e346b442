// ToolDialog: see tool_dialog.h.

#include "lists/tool_dialog.h"

#include "core/base/widget_factory.h"
#include "core/base/window_host.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>

namespace {

constexpr qint64 kPumpIntervalMilliseconds = 5;

}  // namespace

ToolDialog::ToolDialog(QWidget* parent)
    : QDialog(parent)
{
    m_sincePump.start();
}

void ToolDialog::setBusy(bool busy)
{
    m_busy = busy;
    for (QAbstractButton* button : findChildren<QAbstractButton*>())
        button->setEnabled(!busy);
}

void ToolDialog::pumpEvents()
{
    if (m_sincePump.elapsed() < kPumpIntervalMilliseconds)
        return;
    QCoreApplication::processEvents();
    m_sincePump.restart();
}

QPushButton* ToolDialog::makeButton(const char* name, const QString& caption)
{
    return ::makeButton(this, name, caption);
}

void ToolDialog::requestTranslation()
{
    WindowHost::requestTranslation(this);
}

void ToolDialog::closeEvent(QCloseEvent* event)
{
    if (m_busy) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void ToolDialog::reject()
{
    if (!m_busy)
        QDialog::reject();
}

QWidget* toolParent(QWidget* given)
{
    return given ? given : QApplication::activeWindow();
}
