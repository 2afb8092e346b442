// The font box: its list, FontName and the rebuild that keeps the choice.

#include "controls/font_combo_box.h"

#include "controls/module_bitmap.h"

#include <QFontDatabase>
#include <QHash>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalBlocker>

#include <algorithm>

TFontComboBox::TFontComboBox(QWidget* parent)
    : QComboBox(parent),
      m_trueTypeGlyph(LoadModuleBitmap(QStringLiteral("TRUETYPE_FNT"))),
      m_deviceGlyph(LoadModuleBitmap(QStringLiteral("DEVICE_FNT"))),
      m_familySource(&TFontComboBox::installedFamilies)
{
    setItemDelegate(new FontItemDelegate(m_trueTypeGlyph, m_deviceGlyph, this));
    connect(this, &QComboBox::activated, this, [this] { emit OnChange(); });
    fillList();
}

QString TFontComboBox::pageFamilyName(const QString& qtFamily)
{
    static const QRegularExpression foundry(QStringLiteral(R"(^(.+) \[[^\[\]]*\]$)"));
    const QRegularExpressionMatch match = foundry.match(qtFamily);
    return match.hasMatch() ? match.captured(1) : qtFamily;
}

// One entry per family as pages name it: the foundries of a split family are one font to the page, which
// takes whichever fontconfig prefers; it is an outline font when any of them is.
QList<FontFamilyEntry> TFontComboBox::installedFamilies()
{
    QList<FontFamilyEntry> families;
    QHash<QString, qsizetype> indexOfName;
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isPrivateFamily(family))
            continue;
        const bool outline = QFontDatabase::isSmoothlyScalable(family);
        const int typeBits = outline ? TrueTypeFontType : (RasterFontType | DeviceFontType);
        const QString name = pageFamilyName(family);
        const auto known = indexOfName.constFind(name);
        if (known == indexOfName.constEnd()) {
            indexOfName.insert(name, families.size());
            families.append({name, typeBits});
        } else if (outline) {
            families[*known].typeBits = TrueTypeFontType;
        }
    }
    return families;
}

void TFontComboBox::fillList()
{
    QList<FontFamilyEntry> families = m_familySource ? m_familySource() : QList<FontFamilyEntry>();
    std::stable_sort(families.begin(), families.end(), [](const FontFamilyEntry& a, const FontFamilyEntry& b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    const QSignalBlocker quiet(this);
    setUpdatesEnabled(false);
    clear();
    QStringList seen;
    for (const FontFamilyEntry& family : std::as_const(families)) {
        if (family.name.isEmpty() || seen.contains(family.name))
            continue;
        seen << family.name;
        addItem(family.name);
        setItemData(count() - 1, family.typeBits, FontItemDelegate::TypeBitsRole);
    }
    setCurrentIndex(-1);
    setUpdatesEnabled(true);
}

void TFontComboBox::setFontName(const QString& name)
{
    if (name == currentText())
        return;
    for (int i = 0; i < count(); ++i) {
        if (itemText(i).compare(name, Qt::CaseInsensitive) == 0) {
            setCurrentIndex(i);
            return;
        }
    }
    if (isEditable())
        setEditText(name);
    else
        setCurrentIndex(-1);
}

void TFontComboBox::setComboStyle(TOwnerDrawComboStyle style)
{
    if (style == m_style)
        return;
    m_style = style;
    const QString shown = FontName();
    const QSignalBlocker quiet(this);
    setEditable(style == TOwnerDrawComboStyle::csDropDown);
    if (QLineEdit* edit = lineEdit()) {
        setInsertPolicy(QComboBox::NoInsert);
        connect(edit, &QLineEdit::textEdited, this, &TFontComboBox::editTextTyped);
    }
    setFontName(shown);
}

// Typing selects the item of exactly that name, when there is one and it is not selected yet.
void TFontComboBox::editTextTyped(const QString& text)
{
    const int index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0 && index != currentIndex()) {
        const QSignalBlocker quiet(this);
        setCurrentIndex(index);
    }
    emit OnChange();
}

void TFontComboBox::setFamilySource(FamilySource source)
{
    m_familySource = std::move(source);
    rebuildList();
}

void TFontComboBox::rebuildList()
{
    const QString remembered = FontName();
    fillList();
    {
        const QSignalBlocker quiet(this);
        setFontName(remembered);
    }
    if (FontName() != remembered)
        emit OnChange();
}
