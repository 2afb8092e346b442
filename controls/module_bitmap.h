// LoadModuleBitmap: a picture of the controls' own resources, by name. A missing picture is our fault, not
// the user's, and raises ResourceNotFound naming it, so a control that needs it cannot be made without it.
#pragma once

#include <QPixmap>
#include <QString>

#include <stdexcept>

class ResourceNotFound : public std::runtime_error {
public:
    explicit ResourceNotFound(const QString& name);
    QString name() const { return m_name; }

private:
    QString m_name;
};

QPixmap LoadModuleBitmap(const QString& name);
