// Built-in expression words: see expression_functions.h.

#include "dbase/expression_functions.h"

#include "dbase/case_mapping.h"
#include "dbase/field_reader.h"

#include "platform/code_page.h"

#include <cmath>
#include <limits>

namespace exprwords {
namespace {

// Text of a number that does not fit its width is that many "*", as a too-narrow numeric field shows it.
QByteArray fitWidth(const QByteArray& text, int width)
{
    if (text.size() > width)
        return QByteArray(width, '*');
    return QByteArray(width - text.size(), ' ') + text;
}

// Widths and decimals come from the expression: kept to what a key or a field could hold.
int widthArg(const ExprCall& call, int i)
{
    const qint32 width = call.integerArg(i);
    if (width > 255)
        throw EParserException(QStringLiteral("STR width %1 is out of range").arg(width));
    return qMax(width, 0);
}

void strFloat(ExprCall& call)
{
    const int decimals = call.argumentCount() > 2 ? qBound(0, call.integerArg(2), 18) : 0;
    const QByteArray text = QByteArray::number(call.floatArg(0), 'f', decimals);
    call.writeString(call.argumentCount() > 1 ? fitWidth(text, widthArg(call, 1)) : text.left(18));
}

void strInteger(ExprCall& call)
{
    const QByteArray digits = QByteArray::number(call.integerArg(0));
    if (call.argumentCount() == 1) {
        call.writeString(digits);
        return;
    }
    QByteArray text = fitWidth(digits, widthArg(call, 1));
    if (call.argumentCount() > 2 && call.integerArg(2) > 0)
        text += '.' + QByteArray(qMin(call.integerArg(2), 18), '0');
    call.writeString(text);
}

void dtos(ExprCall& call)
{
    const double days = call.floatArg(0);
    const QDate date = std::isfinite(days) && std::abs(days) < 4.0e6 ? baseDate().addDays(qint64(std::floor(days)))
                                                                     : QDate();
    if (!date.isValid() || date.year() < 0 || date.year() > 9999) {
        call.writeString("00000000");
        return;
    }
    call.writeString(date.toString(QStringLiteral("yyyyMMdd")).toLatin1());
}

// Positions count from 1; a start below 1 counts as 1, a start past the end or a negative count gives "".
void substr(ExprCall& call)
{
    const QByteArrayView text = call.stringArg(0);
    const qint64 start = qMax<qint64>(call.integerArg(1), 1);
    const qint64 count = call.integerArg(2);
    if (start > text.size() || count < 0) {
        call.writeString({});
        return;
    }
    call.writeString(text.sliced(start - 1, qMin<qint64>(count, text.size() - start + 1)));
}

void upperCase(ExprCall& call) { call.writeString(casemapping::upper(call.stringArg(0), call.codePage())); }
void lowerCase(ExprCall& call) { call.writeString(casemapping::lower(call.stringArg(0), call.codePage())); }

void addF(ExprCall& c) { c.writeFloat(c.floatArg(0) + c.floatArg(1)); }
void addI(ExprCall& c) { c.writeInteger(qint32(quint32(c.integerArg(0)) + quint32(c.integerArg(1)))); }
void addL(ExprCall& c) { c.writeLarge(qint64(quint64(c.largeArg(0)) + quint64(c.largeArg(1)))); }
void subF(ExprCall& c) { c.writeFloat(c.floatArg(0) - c.floatArg(1)); }
void subI(ExprCall& c) { c.writeInteger(qint32(quint32(c.integerArg(0)) - quint32(c.integerArg(1)))); }
void subL(ExprCall& c) { c.writeLarge(qint64(quint64(c.largeArg(0)) - quint64(c.largeArg(1)))); }
void mulF(ExprCall& c) { c.writeFloat(c.floatArg(0) * c.floatArg(1)); }
void mulI(ExprCall& c) { c.writeInteger(qint32(quint32(c.integerArg(0)) * quint32(c.integerArg(1)))); }
void mulL(ExprCall& c) { c.writeLarge(qint64(quint64(c.largeArg(0)) * quint64(c.largeArg(1)))); }

[[noreturn]] void divisionByZero() { throw EParserException(QStringLiteral("Division by zero")); }
[[noreturn]] void divisionOverflow() { throw EParserException(QStringLiteral("Integer overflow in division")); }

void divF(ExprCall& c)
{
    if (c.floatArg(1) == 0)
        divisionByZero();
    c.writeFloat(c.floatArg(0) / c.floatArg(1));
}

void divI(ExprCall& c)
{
    const qint32 a = c.integerArg(0), b = c.integerArg(1);
    if (b == 0)
        divisionByZero();
    if (a == std::numeric_limits<qint32>::min() && b == -1)
        divisionOverflow();
    c.writeInteger(a / b);
}

void divL(ExprCall& c)
{
    const qint64 a = c.largeArg(0), b = c.largeArg(1);
    if (b == 0)
        divisionByZero();
    if (a == std::numeric_limits<qint64>::min() && b == -1)
        divisionOverflow();
    c.writeLarge(a / b);
}

void negF(ExprCall& c) { c.writeFloat(-c.floatArg(0)); }
void negI(ExprCall& c) { c.writeInteger(qint32(0u - quint32(c.integerArg(0)))); }
void negL(ExprCall& c) { c.writeLarge(qint64(0u - quint64(c.largeArg(0)))); }
void keepF(ExprCall& c) { c.writeFloat(c.floatArg(0)); }
void keepI(ExprCall& c) { c.writeInteger(c.integerArg(0)); }
void keepL(ExprCall& c) { c.writeLarge(c.largeArg(0)); }

void notB(ExprCall& c) { c.writeBoolean(!c.booleanArg(0)); }
void andB(ExprCall& c) { c.writeBoolean(c.booleanArg(0) && c.booleanArg(1)); }
void orB(ExprCall& c) { c.writeBoolean(c.booleanArg(0) || c.booleanArg(1)); }

// -1, 0 or 1; 2 when a float comparison is unordered (NaN), which only "<>" counts as true.
int compareNumbers(const ExprCall& c)
{
    if (c.isIntegral(0) && c.isIntegral(1)) {
        const qint64 a = c.largeArg(0), b = c.largeArg(1);
        return a < b ? -1 : a > b ? 1 : 0;
    }
    const double a = c.floatArg(0), b = c.floatArg(1);
    return a < b ? -1 : a > b ? 1 : a == b ? 0 : 2;
}

void numEq(ExprCall& c) { c.writeBoolean(compareNumbers(c) == 0); }
void numLt(ExprCall& c) { c.writeBoolean(compareNumbers(c) == -1); }
void numGt(ExprCall& c) { c.writeBoolean(compareNumbers(c) == 1); }
void numLe(ExprCall& c) { const int r = compareNumbers(c); c.writeBoolean(r == -1 || r == 0); }
void numGe(ExprCall& c) { const int r = compareNumbers(c); c.writeBoolean(r == 1 || r == 0); }
void numNe(ExprCall& c) { c.writeBoolean(compareNumbers(c) != 0); }

int compareTexts(QByteArrayView a, QByteArrayView b, int codePage, bool caseInsensitive)
{
    QString left = codepage::toUnicode(a.toByteArray(), codePage);
    QString right = codepage::toUnicode(b.toByteArray(), codePage);
    if (caseInsensitive) {
        left = left.toCaseFolded();
        right = right.toCaseFolded();
    }
    return QString::localeAwareCompare(left, right);
}

template <bool CaseInsensitive>
int compareArgs(const ExprCall& c)
{
    return compareTexts(c.stringArg(0), c.stringArg(1), c.codePage(), CaseInsensitive);
}

template <bool CI> void textLt(ExprCall& c) { c.writeBoolean(compareArgs<CI>(c) < 0); }
template <bool CI> void textGt(ExprCall& c) { c.writeBoolean(compareArgs<CI>(c) > 0); }
template <bool CI> void textLe(ExprCall& c) { c.writeBoolean(compareArgs<CI>(c) <= 0); }
template <bool CI> void textGe(ExprCall& c) { c.writeBoolean(compareArgs<CI>(c) >= 0); }
template <bool CI> void textNe(ExprCall& c) { c.writeBoolean(compareArgs<CI>(c) != 0); }
template <bool CI> void textEq(ExprCall& c) { c.writeBoolean(compareArgs<CI>(c) == 0); }

// Left is the value, right the pattern: "X*" starts, "*X" ends, "*X*" contains, "*" alone matches anything.
bool matchesPattern(QByteArrayView value, QByteArrayView pattern, int codePage, bool caseInsensitive)
{
    const auto equal = [&](QByteArrayView a, QByteArrayView b) { return compareTexts(a, b, codePage, caseInsensitive) == 0; };
    const bool leading = pattern.startsWith('*'), trailing = pattern.endsWith('*');
    if (pattern == "*")
        return true;
    if (leading && trailing) {
        const QByteArrayView middle = pattern.sliced(1, pattern.size() - 2);
        if (!caseInsensitive)
            return value.contains(middle);
        return casemapping::upper(value, codePage).contains(casemapping::upper(middle, codePage));
    }
    if (trailing) {
        const QByteArrayView fixed = pattern.chopped(1);
        return value.size() >= fixed.size() && equal(value.first(fixed.size()), fixed);
    }
    if (leading) {
        const QByteArrayView fixed = pattern.sliced(1);
        return value.size() >= fixed.size() && equal(value.last(fixed.size()), fixed);
    }
    return equal(value, pattern);
}

template <bool CI>
void textLike(ExprCall& c)
{
    c.writeBoolean(matchesPattern(c.stringArg(0), c.stringArg(1), c.codePage(), CI));
}

void addOperator(TExpressList& list, const char* name, std::initializer_list<const char*> specs, ExprType result,
                 ExprOperation operation, int precedence)
{
    for (const char* spec : specs)
        list.add(TFunction::makeOperator(name, spec, result, operation, precedence));
}

void addArithmetic(TExpressList& list, const char* name, ExprOperation f, ExprOperation i, ExprOperation l, int precedence)
{
    addOperator(list, name, {"FF", "FI", "IF", "FL", "LF"}, ExprType::Float, f, precedence);
    addOperator(list, name, {"II"}, ExprType::Integer, i, precedence);
    addOperator(list, name, {"IL", "LL", "LI"}, ExprType::LargeInt, l, precedence);
}

void addSign(TExpressList& list, const char* name, ExprOperation f, ExprOperation i, ExprOperation l)
{
    addOperator(list, name, {"F"}, ExprType::Float, f, SignPrecedence);
    addOperator(list, name, {"I"}, ExprType::Integer, i, SignPrecedence);
    addOperator(list, name, {"L"}, ExprType::LargeInt, l, SignPrecedence);
}

TExpressList buildGeneral()
{
    TExpressList list;
    list.add(std::make_shared<TLeftBracket>());
    list.add(std::make_shared<TRightBracket>());
    list.add(std::make_shared<TComma>());
    addOperator(list, "+", {"SS"}, ExprType::String, nullptr, AddPrecedence);
    addArithmetic(list, "+", addF, addI, addL, AddPrecedence);
    addArithmetic(list, "-", subF, subI, subL, AddPrecedence);
    addArithmetic(list, "*", mulF, mulI, mulL, MultiplyPrecedence);
    addArithmetic(list, "/", divF, divI, divL, MultiplyPrecedence);
    addSign(list, "-@", negF, negI, negL);
    addSign(list, "+@", keepF, keepI, keepL);
    const std::initializer_list<const char*> numberPairs = {"FF", "FI", "IF", "II", "LL", "LF", "LI", "FL", "IL"};
    addOperator(list, "=", numberPairs, ExprType::Boolean, numEq, ComparePrecedence);
    addOperator(list, "<", numberPairs, ExprType::Boolean, numLt, ComparePrecedence);
    addOperator(list, ">", numberPairs, ExprType::Boolean, numGt, ComparePrecedence);
    addOperator(list, "<=", numberPairs, ExprType::Boolean, numLe, ComparePrecedence);
    addOperator(list, ">=", numberPairs, ExprType::Boolean, numGe, ComparePrecedence);
    addOperator(list, "<>", numberPairs, ExprType::Boolean, numNe, ComparePrecedence);
    addOperator(list, "NOT", {"B"}, ExprType::Boolean, notB, NotPrecedence);
    addOperator(list, "AND", {"BB"}, ExprType::Boolean, andB, AndPrecedence);
    addOperator(list, "OR", {"BB"}, ExprType::Boolean, orB, OrPrecedence);
    list.add(TFunction::makeFunction("STR", {}, "FII", 1, ExprType::String, strFloat));
    list.add(TFunction::makeFunction("STR", {}, "III", 1, ExprType::String, strInteger));
    list.add(TFunction::makeFunction("DTOS", {}, "D", 1, ExprType::String, dtos));
    list.add(TFunction::makeFunction("SUBSTR", "SUBS", "SII", 3, ExprType::String, substr));
    list.add(TFunction::makeFunction("UPPERCASE", "UPPER", "S", 1, ExprType::String, upperCase));
    list.add(TFunction::makeFunction("LOWERCASE", "LOWER", "S", 1, ExprType::String, lowerCase));
    return list;
}

template <bool CI>
TExpressList buildRelations()
{
    TExpressList list;
    addOperator(list, "<", {"SS"}, ExprType::Boolean, textLt<CI>, ComparePrecedence);
    addOperator(list, ">", {"SS"}, ExprType::Boolean, textGt<CI>, ComparePrecedence);
    addOperator(list, "<=", {"SS"}, ExprType::Boolean, textLe<CI>, ComparePrecedence);
    addOperator(list, ">=", {"SS"}, ExprType::Boolean, textGe<CI>, ComparePrecedence);
    addOperator(list, "<>", {"SS"}, ExprType::Boolean, textNe<CI>, ComparePrecedence);
    return list;
}

TExpressList buildEquality(ExprOperation operation)
{
    TExpressList list;
    addOperator(list, "=", {"SS"}, ExprType::Boolean, operation, ComparePrecedence);
    return list;
}

}  // namespace

const TExpressList& general()
{
    static const TExpressList list = buildGeneral();
    return list;
}

const TExpressList& textRelations(bool caseInsensitive)
{
    static const TExpressList withoutCase = buildRelations<true>();
    static const TExpressList withCase = buildRelations<false>();
    return caseInsensitive ? withoutCase : withCase;
}

const TExpressList& textEquality(bool caseInsensitive, bool partial)
{
    static const TExpressList lists[4] = {buildEquality(textEq<false>), buildEquality(textLike<false>),
                                          buildEquality(textEq<true>), buildEquality(textLike<true>)};
    return lists[(caseInsensitive ? 2 : 0) + (partial ? 1 : 0)];
}

}  // namespace exprwords
