// Table expressions: see dbf_parser.h.

#include "dbase/dbf_parser.h"

#include "dbase/dbf_error.h"
#include "dbase/dbf_file.h"
#include "dbase/expression_functions.h"
#include "dbase/text_translation.h"

#include "platform/code_page.h"

struct FieldVar {
    int field = -1;
    ExprType type = ExprType::Unknown;
    qint32 integer = 0;
    qint64 large = 0;
    double number = 0;
    bool boolean = false;
    QByteArray text;
    std::shared_ptr<TStringVariable> textWord;
};

namespace {

ExprType exprTypeOf(TFieldType type)
{
    switch (type) {
    case TFieldType::ftString: return ExprType::String;
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc: return ExprType::Integer;
    case TFieldType::ftLargeint: return ExprType::LargeInt;
    case TFieldType::ftFloat: return ExprType::Float;
    case TFieldType::ftDate:
    case TFieldType::ftDateTime: return ExprType::DateTime;
    case TFieldType::ftBoolean: return ExprType::Boolean;
    default: return ExprType::Unknown;
    }
}

double numberOf(const FieldValue& value)
{
    if (const auto* i = std::get_if<qint64>(&value))
        return double(*i);
    if (const auto* d = std::get_if<double>(&value))
        return *d;
    if (const auto* date = std::get_if<QDate>(&value))
        return double(baseDate().daysTo(*date));
    if (const auto* stamp = std::get_if<QDateTime>(&value)) {
        const qint64 msecs = QDateTime(baseDate(), QTime(0, 0)).msecsTo(*stamp);
        return double(msecs) / 86400000.0;
    }
    return 0;
}

qint64 integerOf(const FieldValue& value)
{
    if (const auto* i = std::get_if<qint64>(&value))
        return *i;
    const double d = numberOf(value);
    return d >= -9.2e18 && d <= 9.2e18 ? qint64(d) : 0;
}

}  // namespace

TDbfParser::TDbfParser(const TDbfFile& table) : m_table(table)
{
    fillWordList();
    setCodePage(table.useCodePage());
}

TDbfParser::~TDbfParser() = default;

void TDbfParser::fillWordList()
{
    TExpressList& list = wordList();
    for (const ExprWordPtr& word : QList<ExprWordPtr>(list.words()))
        if (!word->isVariable())
            list.remove(word);
    list.addAll(exprwords::general());
    list.addAll(exprwords::textRelations(m_caseInsensitive));
    list.addAll(exprwords::textEquality(m_caseInsensitive, m_partial));
}

void TDbfParser::setCaseInsensitive(bool on)
{
    m_caseInsensitive = on;
    fillWordList();
    ParseExpression(m_expression);
}

void TDbfParser::setPartialMatch(bool on)
{
    m_partial = on;
    fillWordList();
    ParseExpression(m_expression);
}

void TDbfParser::setRawStringFields(bool on)
{
    m_raw = on;
    for (const auto& var : m_vars)
        if (var->textWord)
            var->textWord->setFixedLength(on ? m_table.fieldDefs()[var->field].Size : -1);
    setCodePage(on ? m_table.useCodePage() : codepage::ansiCodePage());
}

void TDbfParser::ParseExpression(const QByteArray& text)
{
    m_expression = text;
    m_singleField = m_table.fieldDefs().indexOf(QString::fromLatin1(text.trimmed()));
    Compile(text);
    ValidateExpression();
}

int TDbfParser::KeyLength() const
{
    switch (ResultType()) {
    case ExprType::Integer: return 4;
    case ExprType::Float:
    case ExprType::DateTime: return 8;
    case ExprType::Boolean: return 1;
    case ExprType::String:
        return m_singleField >= 0 && m_raw ? m_table.fieldDefs()[m_singleField].Size : -1;
    default: return -1;
    }
}

ExprWordPtr TDbfParser::HandleUnknownVariable(const QByteArray& name)
{
    const int field = m_table.fieldDefs().indexOf(QString::fromLatin1(name));
    if (field < 0)
        throw EDbfError(QStringLiteral("Index based on unknown field \"%1\".").arg(QString::fromLatin1(name)));
    const TDbfFieldDef& def = m_table.fieldDefs()[field];
    auto var = std::make_unique<FieldVar>();
    var->field = field;
    var->type = exprTypeOf(def.FieldType);
    ExprWordPtr word;
    switch (var->type) {
    case ExprType::String:
        var->textWord = std::make_shared<TStringVariable>(name, &var->text, m_raw ? def.Size : -1);
        word = var->textWord;
        break;
    case ExprType::Integer: word = std::make_shared<TIntegerVariable>(name, &var->integer); break;
    case ExprType::LargeInt: word = std::make_shared<TLargeIntVariable>(name, &var->large); break;
    case ExprType::Float: word = std::make_shared<TFloatVariable>(name, &var->number); break;
    case ExprType::DateTime: word = std::make_shared<TDateTimeVariable>(name, &var->number); break;
    case ExprType::Boolean: word = std::make_shared<TBooleanVariable>(name, &var->boolean); break;
    default:
        throw EDbfError(QStringLiteral("Field \"%1\" is an invalid field type to base index on.")
                            .arg(QString::fromLatin1(name)));
    }
    m_vars.push_back(std::move(var));
    return word;
}

void TDbfParser::refresh(FieldVar& var, QByteArrayView record) const
{
    const TDbfFieldDef& def = m_table.fieldDefs()[var.field];
    if (var.type == ExprType::String) {
        const QByteArrayView bytes = record.size() >= def.Offset + def.Size ? record.sliced(def.Offset, def.Size)
                                                                            : QByteArrayView();
        if (m_raw) {
            var.text = bytes.toByteArray();
            return;
        }
        QByteArray trimmed = bytes.toByteArray();
        while (trimmed.endsWith(' '))
            trimmed.chop(1);
        var.text = translation::translate(trimmed, m_table.useCodePage(), codepage::ansiCodePage());
        return;
    }
    const std::optional<FieldValue> value = readFieldValue(m_table.readContext(), def, record);
    const qint64 whole = value ? integerOf(*value) : 0;
    var.integer = qint32(whole);
    var.large = whole;
    var.number = value ? numberOf(*value) : 0;
    var.boolean = value && std::holds_alternative<bool>(*value) && std::get<bool>(*value);
}

const ExprBuffer& TDbfParser::ExtractFromBuffer(QByteArrayView record)
{
    for (const auto& var : m_vars)
        refresh(*var, record);
    Evaluate();
    return ResultArea();
}

void TDbfIndexParser::ValidateExpression()
{
    m_keyLength = TDbfParser::KeyLength();
    if (m_keyLength < 0 && ResultType() == ExprType::String) {
        const QByteArray emptyRecord(table().recordSize(), ' ');
        m_keyLength = int(ExtractFromBuffer(emptyRecord).written().size());
    }
    if (m_keyLength > MaxKeyLength)
        throw EDbfError(QStringLiteral("Index result for \"%1\" too long, >100 characters (%2).")
                            .arg(QString::fromLatin1(Expression()))
                            .arg(m_keyLength));
}
