// The address-book record: see address_book_record.h.

#include "lists/address_book_record.h"

#include "core/base/text_helpers.h"
#include "lists/record_values.h"

#include <QHash>

const std::array<const char*, AbookStringCount> AbookStringNames = {
    "LN",         "FN",        "FCOMP",      "HOMEEMAIL", "EMAILOTHER", "ACCOUNT",   "URL",       "DESCRIPT",
    "SALUTATION", "TITLE",     "FIRSTNAME",  "LASTNAME",  "MIDDLENAME", "COMPANY",   "ADDRESSCMP", "STREET",
    "ZIP",        "CITY",      "FULLCITY",   "COUNTRY",   "STATE",      "HOMEPHONE", "WORKPHONE", "FAX",
    "CARDNAME",   "CREDITCARD", "REGNAME",   "LANGUAGE",  "BANK",       "ADDITIONAL", "COMMENTS", "LEARNED",
    "IPADDRESS",  "BROWSER",   "SUBJECT",    "PRODUCTNAM", "PRODUCTID", "VERSION",   "DELIVERY",  "REFNUMBER",
    "RESELLER",   "AFFILIATE", "VATID"};

const std::array<const char*, AbookColumnCount> AbookColumnNames = {
    "HOMEEMAIL",  "FIRSTNAME", "LASTNAME",   "MIDDLENAME", "EMAILOTHER", "ACCOUNT",   "URL",       "DATEADDED",
    "LASTUPDATE", "LN",        "FN",         "FCOMP",      "DESCRIPT",   "SALUTATION", "TITLE",    "BIRTHDAY",
    "COMPANY",    "ADDRESSCMP", "STREET",    "ZIP",        "CITY",       "FULLCITY",  "COUNTRY",   "STATE",
    "HOMEPHONE",  "WORKPHONE", "FAX",        "CARDNAME",   "CREDITCARD", "REGNAME",   "LANGUAGE",  "BANK",
    "ADDITIONAL", "COMMENTS",  "LEARNED",    "IPADDRESS",  "BROWSER",    "SUBJECT",   "PRODUCTNAM", "PRODUCTID",
    "VERSION",    "DELIVERY",  "REFNUMBER",  "RESELLER",   "AFFILIATE",  "VATID",     "NUMLICENSE", "PAYMENT",
    "FEE",        "SERVICEFEE", "SHIPPING",  "VATFEE",     "VATCOLLECTED", "VATSHIPPING"};

namespace {

constexpr int kLineFields = 60;
constexpr int kFirstString = 17;

// What AbookGetField reads for a name.
enum class FieldKind { None, Birthday, DateAdded, LastUpdate, Blocked, Vybor, Stoped, String };

struct FieldRef {
    FieldKind kind = FieldKind::None;
    int index = 0;   // of the string
};

const QHash<QString, FieldRef>& fieldsByName()
{
    static const QHash<QString, FieldRef> fields = [] {
        QHash<QString, FieldRef> table{{QStringLiteral("BIRTHDAY"), {FieldKind::Birthday}},
                                       {QStringLiteral("DATEADDED"), {FieldKind::DateAdded}},
                                       {QStringLiteral("LASTUPDATE"), {FieldKind::LastUpdate}},
                                       {QStringLiteral("BLOCKED"), {FieldKind::Blocked}},
                                       {QStringLiteral("VYBOR"), {FieldKind::Vybor}},
                                       {QStringLiteral("STOPED"), {FieldKind::Stoped}}};
        for (int i = 0; i < AbookStringCount; ++i)
            table.insert(QLatin1String(AbookStringNames[i]), {FieldKind::String, i});
        return table;
    }();
    return fields;
}

QString flagText(bool value)
{
    return value ? QStringLiteral("T") : QStringLiteral("F");
}

QString fieldText(const TAbook& record, FieldRef field)
{
    switch (field.kind) {
    case FieldKind::None: return QString();
    case FieldKind::Birthday: return writeRecordDate(record.BIRTHDAY);
    case FieldKind::DateAdded: return writeRecordDate(record.DATEADDED);
    case FieldKind::LastUpdate: return writeRecordDate(record.LASTUPDATE);
    case FieldKind::Blocked: return flagText(record.BLOCKED);
    case FieldKind::Vybor: return flagText(record.VYBOR);
    case FieldKind::Stoped: return flagText(record.STOPED);
    case FieldKind::String: return record.Strings[field.index];
    }
    return QString();
}

// The catalogue's columns resolved once, so that an import of many contacts looks no name up.
const std::array<FieldRef, AbookColumnCount>& catalogueFields()
{
    static const std::array<FieldRef, AbookColumnCount> fields = [] {
        std::array<FieldRef, AbookColumnCount> table;
        for (int i = 0; i < AbookColumnCount; ++i)
            table[i] = fieldsByName().value(QLatin1String(AbookColumnNames[i]));
        return table;
    }();
    return fields;
}

}  // namespace

void AbookClear(TAbook& record)
{
    record = TAbook();
}

void AbookParseLine(TAbook& record, const QString& line)
{
    AbookClear(record);
    const QStringList fields = splitTextItems(QLatin1Char('^'), line);
    const int count = std::min<int>(int(fields.size()), kLineFields);
    for (int i = 0; i < count; ++i) {
        const QString& text = fields.at(i);
        if (i == 0)
            record.Id = readRecordInteger(text);
        else if (i <= 3)
            record.Integers[i - 1] = readRecordInteger(text);
        else if (i <= 10)
            record.Amounts[i - 4] = readRecordFloat(text);
        else if (i <= 13)
            (i == 11 ? record.BIRTHDAY : i == 12 ? record.DATEADDED : record.LASTUPDATE) = readRecordDate(text);
        else if (i <= 16)
            (i == 14 ? record.BLOCKED : i == 15 ? record.VYBOR : record.STOPED) = readRecordFlag(text);
        else
            record.Strings[i - kFirstString] = EscapeCaret(text, false);
    }
}

QString AbookGetField(const TAbook& record, const QString& name)
{
    return fieldText(record, fieldsByName().value(name.toUpper()));
}

QStringList abookCatalogueRow(const TAbook& record)
{
    QStringList row;
    row.reserve(AbookColumnCount);
    for (const FieldRef& field : catalogueFields())
        row.append(fieldText(record, field));
    return row;
}
