// A dark desktop palette as dark themes set it (light text on near-black fields, grey window faces, a mid-blue
// selection), for tests of how windows read on such a desktop. Disabled text is a dimmer grey.
#pragma once

#include <QColor>
#include <QPalette>

namespace sorvanta::test {

inline QPalette darkDesktopPalette()
{
    QPalette palette;
    const QColor face(53, 53, 53);
    const QColor field(35, 35, 35);
    const QColor text(230, 230, 230);
    palette.setColor(QPalette::Window, face);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, field);
    palette.setColor(QPalette::AlternateBase, face);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, face);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, QColor(255, 110, 110));
    palette.setColor(QPalette::Highlight, QColor(42, 98, 160));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(120, 180, 255));
    palette.setColor(QPalette::LinkVisited, QColor(190, 150, 255));
    palette.setColor(QPalette::ToolTipBase, field);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
    palette.setColor(QPalette::Light, QColor(80, 80, 80));
    palette.setColor(QPalette::Midlight, QColor(66, 66, 66));
    palette.setColor(QPalette::Mid, QColor(40, 40, 40));
    palette.setColor(QPalette::Dark, QColor(25, 25, 25));
    palette.setColor(QPalette::Shadow, Qt::black);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(127, 127, 127));
    return palette;
}

}  // namespace sorvanta::test
