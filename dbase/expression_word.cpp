// Words of dBase expressions: see expression_word.h.

#include "dbase/expression_word.h"

#include <QtEndian>

#include <cstring>

char letterOf(ExprType type)
{
    switch (type) {
    case ExprType::Integer: return 'I';
    case ExprType::String: return 'S';
    case ExprType::Boolean: return 'B';
    case ExprType::LargeInt: return 'L';
    case ExprType::Float: return 'F';
    case ExprType::DateTime: return 'D';
    case ExprType::LeftBracket:
    case ExprType::RightBracket:
    case ExprType::Comma:
    case ExprType::Unknown: return '-';
    }
    return '-';
}

void ExprBuffer::write(const void* data, int size, int advance)
{
    const int needed = position + size;
    if (needed > bytes.size())
        bytes.resize((needed / 32 + 1) * 32, '\0');   // the next multiple of 32 above the need
    if (size > 0)
        std::memcpy(bytes.data() + position, data, size_t(size));
    position += advance;
}

qint32 ExprCall::integerArg(int i) const
{
    return qFromUnaligned<qint32>(m_args[i]->bytes.constData());
}

qint64 ExprCall::largeArg(int i) const
{
    if (m_types[i] == ExprType::Integer)
        return integerArg(i);
    return qFromUnaligned<qint64>(m_args[i]->bytes.constData());
}

double ExprCall::floatArg(int i) const
{
    if (isIntegral(i))
        return double(largeArg(i));
    return qFromUnaligned<double>(m_args[i]->bytes.constData());
}

bool ExprCall::booleanArg(int i) const
{
    return m_args[i]->bytes.at(0) != 0;
}

void ExprCall::writeString(QByteArrayView text)
{
    QByteArray terminated = text.toByteArray();
    terminated.append('\0');
    m_result.write(terminated.constData(), int(terminated.size()), int(text.size()));
}

template <typename T, ExprType Type>
void TValueVariable<T, Type>::run(ExprCall& call) const
{
    if constexpr (Type == ExprType::Integer)
        call.writeInteger(*m_address);
    else if constexpr (Type == ExprType::LargeInt)
        call.writeLarge(*m_address);
    else if constexpr (Type == ExprType::Boolean)
        call.writeBoolean(*m_address);
    else
        call.writeFloat(*m_address);
}

template class TValueVariable<qint32, ExprType::Integer>;
template class TValueVariable<qint64, ExprType::LargeInt>;
template class TValueVariable<double, ExprType::Float>;
template class TValueVariable<double, ExprType::DateTime>;
template class TValueVariable<bool, ExprType::Boolean>;

void TStringVariable::run(ExprCall& call) const
{
    if (m_fixedLength < 0) {
        call.writeString(*m_address);
        return;
    }
    QByteArray value = m_address->left(m_fixedLength);
    value.append(QByteArray(m_fixedLength - value.size(), ' '));
    call.writeString(value);
}

TFunction::TFunction(QByteArray name, QByteArray shortName, QByteArray typeSpec, ExprType result,
                     ExprOperation operation)
    : TExprWord(std::move(name)), m_shortName(std::move(shortName)), m_typeSpec(std::move(typeSpec)),
      m_result(result), m_operation(operation)
{
    if (m_typeSpec.size() > MaxArguments)
        throw EParserException(QStringLiteral("Too many arguments"));
}

ExprWordPtr TFunction::makeOperator(QByteArray name, QByteArray typeSpec, ExprType result, ExprOperation operation,
                                    int precedence)
{
    std::shared_ptr<TFunction> word(new TFunction(std::move(name), {}, std::move(typeSpec), result, operation));
    word->m_isOperator = true;
    word->m_precedence = precedence;
    word->m_minArguments = int(word->m_typeSpec.size());
    return word;
}

ExprWordPtr TFunction::makeFunction(QByteArray name, QByteArray shortName, QByteArray typeSpec, int minArguments,
                                    ExprType result, ExprOperation operation)
{
    std::shared_ptr<TFunction> word(
        new TFunction(std::move(name), std::move(shortName), std::move(typeSpec), result, operation));
    word->m_minArguments = minArguments;
    return word;
}
