// The controls' pictures from their resource file (glyphs.qrc).

#include "controls/module_bitmap.h"

ResourceNotFound::ResourceNotFound(const QString& name)
    : std::runtime_error("Resource " + name.toStdString() + " not found"), m_name(name)
{
}

QPixmap LoadModuleBitmap(const QString& name)
{
    Q_INIT_RESOURCE(glyphs);   // resources of a static library are registered on first use
    QPixmap picture;
    if (name.isEmpty() || name.contains(u'/') || !picture.load(QStringLiteral(":/controls/glyphs/") + name + QStringLiteral(".xpm")))
        throw ResourceNotFound(name);
    return picture;
}
