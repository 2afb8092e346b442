// The language tables by id: code page, locale and driver code. See language_drivers.h.

#include "dbase/language_drivers.h"


namespace languagedriver {
namespace {

constexpr char BulgarianMarker[] = "\x01";

struct Driver {
    int id;
    int codePage;
    quint16 locale;
    const char* code;   // nullptr: no name
};

// Every id with a code page; locale and code where the id has a known driver.
constexpr Driver Drivers[] = {
    {0x01, 437, 0x0409, "US"},  {0x02, 850, 0x0409, nullptr}, {0x03, 1252, 0x0409, nullptr},
    {0x04, 10000, 0x0409, nullptr}, {0x08, 865, 0x0406, "DA0"}, {0x09, 437, 0x0413, "NL0"},
    {0x0A, 850, 0x0413, "NL0"}, {0x0B, 437, 0x040B, "FI0"}, {0x0D, 437, 0x040C, "FR0"},
    {0x0E, 850, 0x040C, "FR0"}, {0x0F, 437, 0x0407, "DE0"}, {0x10, 850, 0x0407, "DE0"},
    {0x11, 437, 0x0410, "IT0"}, {0x12, 850, 0x0410, "IT1"}, {0x13, 932, 0x0411, "JP0"},
    {0x14, 850, 0x0C0A, "ES0"}, {0x15, 437, 0x041D, "SV0"}, {0x16, 850, 0x041D, "SV1"},
    {0x17, 865, 0x0414, "NO0"}, {0x18, 437, 0x0C0A, "ES1"}, {0x19, 437, 0x0809, "UK0"},
    {0x1A, 850, 0x0809, "UK0"}, {0x1B, 437, 0x0409, "US0"}, {0x1C, 863, 0x0C0C, "CF1"},
    {0x1D, 850, 0x0C0C, "CF0"}, {0x1F, 852, 0x0405, "CZ0"}, {0x20, 867, 0x0405, "CZ0"},
    {0x22, 852, 0x040E, "HDC"}, {0x23, 852, 0x0415, "PO0"}, {0x24, 860, 0x0816, "PT0"},
    {0x25, 850, 0x0816, "PT0"}, {0x26, 866, 0x0419, "RU0"}, {0x37, 850, 0x0409, "US0"},
    {0x4D, 936, 0x0804, "CN0"}, {0x4E, 949, 0x0412, "KO0"}, {0x4F, 950, 0x0404, "TW0"},
    {0x50, 874, 0x041E, "TH0"}, {0x56, 932, 0x0411, "JP1"}, {0x57, 1252, 0x0409, "US0"},
    {0x58, 1252, 0x0000, "WE0"}, {0x59, 1252, 0x0C0A, "ES0"}, {0x5E, 437, 0x0407, "DE"},
    {0x5F, 437, 0x0414, "NO"},  {0x60, 850, 0x0414, "NO"},  {0x61, 1252, 0x0407, "DE"},
    {0x62, 1252, 0x0414, "NO"}, {0x64, 852, 0x0405, nullptr}, {0x65, 866, 0x0419, nullptr},
    {0x66, 865, 0x0414, nullptr}, {0x67, 861, 0x040F, nullptr}, {0x68, 895, 0x0405, "CZ"},
    {0x69, 620, 0x0415, nullptr}, {0x6A, 737, 0x0408, nullptr}, {0x6B, 857, 0x041F, nullptr},
    {0x78, 950, 0x0404, nullptr}, {0x79, 949, 0x0412, nullptr}, {0x7A, 936, 0x0804, nullptr},
    {0x7B, 932, 0x0411, nullptr}, {0x7C, 874, 0x041E, nullptr}, {0x7D, 1255, 0x040D, nullptr},
    {0x7E, 1256, 0x0401, nullptr}, {0x85, 862, 0x040D, nullptr}, {0x86, 437, 0x0408, "GR0"},
    {0x87, 852, 0x0424, "SL0"}, {0x88, 857, 0x041F, "TR0"}, {0x8E, 868, 0x0402, BulgarianMarker},
    {0x96, 10007, 0x0419, nullptr}, {0x97, 10029, 0x040E, nullptr}, {0x98, 10006, 0x0408, nullptr},
    {0x9B, 1250, 0x0405, "CZ"}, {0x9C, 850, 0x0409, nullptr}, {0xC8, 1250, 0x0405, nullptr},
    {0xC9, 1251, 0x0419, nullptr}, {0xCA, 1254, 0x041F, nullptr}, {0xCB, 1253, 0x0408, nullptr},
};

const Driver* driverOf(int id)
{
    for (const Driver& driver : Drivers)
        if (driver.id == id)
            return &driver;
    return nullptr;
}

QByteArray pageText(int codePage)
{
    return codePage == 1252 ? QByteArray("WIN") : QByteArray::number(codePage);
}

// "WIN" 1252, "REW" 1255, else the number (0 when it does not parse).
int pageOfText(const QByteArray& text)
{
    if (text == "WIN")
        return 1252;
    if (text == "REW")
        return 1255;
    return text.toInt();
}

int searchId(int codePage, quint32 locale, bool preferFoxPro)
{
    int dbaseId = 0, foxProId = 0;
    for (int id = 0; id < 256; ++id) {
        const Driver* driver = driverOf(id);
        if (!driver || (codePage != 0 && driver->codePage != codePage) || driver->locale != (locale & 0xFFFF))
            continue;
        (isFoxProId(id) ? foxProId : dbaseId) = id;
    }
    if (dbaseId != 0 && (!preferFoxPro || foxProId == 0))
        return dbaseId;
    return foxProId;
}

}  // namespace

bool isFoxProId(int languageId)
{
    return (languageId >= 1 && languageId <= 4) || languageId > 93;
}

int codePageOfId(int languageId)
{
    const Driver* driver = driverOf(languageId);
    return driver ? driver->codePage : 0;
}

quint16 localeOfId(int languageId)
{
    const Driver* driver = driverOf(languageId);
    return driver ? driver->locale : 0;
}

QByteArray driverCodeOfId(int languageId)
{
    const Driver* driver = driverOf(languageId);
    return driver && driver->code ? QByteArray(driver->code) : QByteArray();
}

int languageIdFor(int codePage, quint32 locale, bool preferFoxPro)
{
    const int id = searchId(codePage, locale, preferFoxPro);
    return id != 0 || codePage == 0 ? id : searchId(0, locale, preferFoxPro);
}

QByteArray driverNameFor(int codePage, quint32 locale, bool foxPro)
{
    const Driver* driver = driverOf(languageIdFor(codePage, locale, foxPro));
    if (!driver || !driver->code)
        return {};
    if (foxPro)
        return "FOX" + QByteArray(driver->code) + pageText(codePage);
    if (QByteArray(driver->code) == BulgarianMarker)
        return "BGDB868";
    return "DB" + pageText(codePage) + driver->code;
}

int languageIdOfDriverName(const QByteArray& rawName)
{
    const QByteArray name = rawName.toUpper();
    if (name == "DBHEBREW")   // the Hebrew driver's name holds no page text
        return 0x7D;
    const bool foxPro = name.startsWith("FOX");
    const int codePage = pageOfText(foxPro ? name.mid(5, 3) : name.mid(2, 3));
    const QByteArray code = foxPro ? name.mid(3, 2) : name.mid(5, 3);
    int match = 0;
    for (const Driver& driver : Drivers) {
        if (driver.codePage != codePage || !driver.code || QByteArray(driver.code).toUpper() != code)
            continue;
        if (match == 0 || isFoxProId(driver.id) == foxPro)
            match = driver.id;
    }
    return match;
}

int codePageOfDriverName(const QByteArray& rawName)
{
    const QByteArray name = rawName.toUpper();
    if (name.startsWith("DB")) {
        if (name.mid(2).startsWith("WIN"))
            return 1252;
        if (name.mid(2).startsWith("HEBREW"))
            return 1255;
        const int number = name.mid(2, 3).toInt();
        const char fourth = name.size() > 5 ? name[5] : 0;
        return fourth >= '0' && fourth <= '9' ? number * 10 + (fourth - '0') : number;
    }
    if (name.startsWith("FOX"))
        return name.mid(5, 3) == "WIN" ? 1252 : name.mid(5, 3).toInt();
    return 0;
}

}  // namespace languagedriver
