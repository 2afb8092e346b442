// TFontComboBox: a combo box of the installed font families, sorted, each drawn after a glyph that tells
// scalable outline fonts ("TRUETYPE_FNT") from bitmap fonts ("DEVICE_FNT"). The screen's fonts are also the
// printer's, so one list serves every device. Each family is listed once under the name pages use in
// font-family, also where several foundries make it. FontName selects a family without regard to letter case;
// OnChange fires on the user's choice and when a rebuild changed the shown name, never for FontName itself.
// Making the control raises ResourceNotFound when a glyph is missing.
#pragma once

#include "controls/font_item_delegate.h"

#include <QComboBox>
#include <QList>
#include <QPixmap>

#include <functional>

struct FontFamilyEntry {
    QString name;
    int typeBits = 0;
};

enum class TOwnerDrawComboStyle {
    csDropDown,       // the name can be typed
    csDropDownList,   // only listed names
};

class TFontComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit TFontComboBox(QWidget* parent = nullptr);

    QString FontName() const { return currentText(); }
    void setFontName(const QString& name);

    TOwnerDrawComboStyle comboStyle() const { return m_style; }
    void setComboStyle(TOwnerDrawComboStyle style);

    // Where the families come from (default: the font database); setting it rebuilds the list.
    using FamilySource = std::function<QList<FontFamilyEntry>()>;
    void setFamilySource(FamilySource source);
    // Builds the list again and keeps the shown name; OnChange fires when that name could not be kept.
    void rebuildList();

    static QList<FontFamilyEntry> installedFamilies();
    // The name a page knows a family by: Qt's "Nimbus Sans [urw]" (a family more than one foundry makes) is
    // "Nimbus Sans".
    static QString pageFamilyName(const QString& qtFamily);
    const QPixmap& trueTypeGlyph() const { return m_trueTypeGlyph; }
    const QPixmap& deviceGlyph() const { return m_deviceGlyph; }

signals:
    void OnChange();

private:
    void fillList();
    void editTextTyped(const QString& text);

    QPixmap m_trueTypeGlyph;
    QPixmap m_deviceGlyph;
    FamilySource m_familySource;
    TOwnerDrawComboStyle m_style = TOwnerDrawComboStyle::csDropDownList;
};
