// Words of dBase expressions: the result types, the exception of the parser, the result area an operation
// writes into, and the word classes (constants, variables bound to a value, brackets, functions and
// operators). A function takes at most 6 arguments; its type string holds one letter per argument.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <exception>
#include <memory>

enum class ExprType : quint8 {
    Integer = 0, String = 1, Boolean = 2, LargeInt = 3, Float = 4, DateTime = 5,
    LeftBracket = 6, RightBracket = 7, Comma = 8, Unknown = 9,
};
char letterOf(ExprType type);   // I S B L F D, '-' for the others

inline constexpr int MaxArguments = 6;

class EParserException : public std::exception {
public:
    explicit EParserException(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A growable result area. A string is written as its bytes and a zero byte, and the position stays on that
// zero byte, so a second string written into the same area joins the first.
struct ExprBuffer {
    QByteArray bytes = QByteArray(32, '\0');
    int position = 0;
    int writers = 0;   // steps linked to write here; only the first resets the position

    void write(const void* data, int size, int advance);
    QByteArrayView written() const { return QByteArrayView(bytes).first(position); }
};

class TExprWord;

// What an operation sees while it runs: its argument areas with their types, its result area,
// and the code page whose rules map letter case.
class ExprCall {
public:
    ExprCall(const ExprBuffer* const* args, const ExprType* types, int count, ExprBuffer& result, int codePage)
        : m_args(args), m_types(types), m_count(count), m_result(result), m_codePage(codePage) {}

    int argumentCount() const { return m_count; }
    int codePage() const { return m_codePage; }
    qint32 integerArg(int i) const;
    qint64 largeArg(int i) const;    // an integer widened with its sign
    double floatArg(int i) const;    // any number as a double
    bool booleanArg(int i) const;
    bool isIntegral(int i) const { return m_types[i] == ExprType::Integer || m_types[i] == ExprType::LargeInt; }
    QByteArrayView stringArg(int i) const { return m_args[i]->written(); }

    void writeInteger(qint32 value) { m_result.write(&value, 4, 4); }
    void writeLarge(qint64 value) { m_result.write(&value, 8, 8); }
    void writeFloat(double value) { m_result.write(&value, 8, 8); }
    void writeBoolean(bool value) { const char byte = value ? 1 : 0; m_result.write(&byte, 1, 1); }
    void writeString(QByteArrayView text);

private:
    const ExprBuffer* const* m_args;
    const ExprType* m_types;
    int m_count;
    ExprBuffer& m_result;
    int m_codePage;
};

class TExprWord {
public:
    explicit TExprWord(QByteArray name) : m_name(std::move(name)) {}
    virtual ~TExprWord() = default;
    Q_DISABLE_COPY_MOVE(TExprWord)

    const QByteArray& name() const { return m_name; }
    virtual bool isOperator() const { return false; }
    virtual bool isVariable() const { return false; }
    virtual bool isConstant() const { return false; }
    virtual bool isFunction() const { return false; }
    virtual ExprType resultType() const { return ExprType::Unknown; }
    virtual int minArguments() const { return 0; }
    virtual int maxArguments() const { return 0; }
    virtual QByteArray shortName() const { return {}; }
    virtual QByteArray typeSpec() const { return {}; }
    virtual int precedence() const { return 0; }
    // Brackets, commas and the joining "+" of texts have no operation of their own.
    virtual bool hasOperation() const { return false; }
    virtual void run(ExprCall&) const {}

    bool isOperand() const { return isVariable() || isConstant(); }
    // An operator of one argument stands before it (NOT, unary minus and plus).
    bool isPrefixOperator() const { return isOperator() && maxArguments() == 1; }

private:
    QByteArray m_name;
};

using ExprWordPtr = std::shared_ptr<TExprWord>;

class TConstant : public TExprWord {
public:
    TConstant(QByteArray name, ExprType type) : TExprWord(std::move(name)), m_type(type) {}
    bool isConstant() const override { return true; }
    ExprType resultType() const override { return m_type; }
    bool hasOperation() const override { return true; }

private:
    ExprType m_type;
};

class TIntegerConstant : public TConstant {
public:
    TIntegerConstant(QByteArray name, qint32 value) : TConstant(std::move(name), ExprType::Integer), m_value(value) {}
    void run(ExprCall& call) const override { call.writeInteger(m_value); }
    qint32 value() const { return m_value; }

private:
    qint32 m_value;
};

class TFloatConstant : public TConstant {
public:
    TFloatConstant(QByteArray name, double value) : TConstant(std::move(name), ExprType::Float), m_value(value) {}
    void run(ExprCall& call) const override { call.writeFloat(m_value); }
    double value() const { return m_value; }

private:
    double m_value;
};

class TStringConstant : public TConstant {
public:
    explicit TStringConstant(QByteArray value) : TConstant(value, ExprType::String), m_value(value) {}
    void run(ExprCall& call) const override { call.writeString(m_value); }

private:
    QByteArray m_value;
};

class TBooleanConstant : public TConstant {
public:
    TBooleanConstant(QByteArray name, bool value) : TConstant(std::move(name), ExprType::Boolean), m_value(value) {}
    void run(ExprCall& call) const override { call.writeBoolean(m_value); }

private:
    bool m_value;
};

// A variable reads the value at the address it was bound to each time it runs.
class TVariable : public TExprWord {
public:
    TVariable(QByteArray name, ExprType type) : TExprWord(std::move(name)), m_type(type) {}
    bool isVariable() const override { return true; }
    ExprType resultType() const override { return m_type; }
    bool hasOperation() const override { return true; }

private:
    ExprType m_type;
};

template <typename T, ExprType Type>
class TValueVariable : public TVariable {
public:
    TValueVariable(QByteArray name, const T* address) : TVariable(std::move(name), Type), m_address(address) {}
    void run(ExprCall& call) const override;

private:
    const T* m_address;
};

using TIntegerVariable = TValueVariable<qint32, ExprType::Integer>;
using TLargeIntVariable = TValueVariable<qint64, ExprType::LargeInt>;
using TFloatVariable = TValueVariable<double, ExprType::Float>;
using TDateTimeVariable = TValueVariable<double, ExprType::DateTime>;
using TBooleanVariable = TValueVariable<bool, ExprType::Boolean>;

// With a fixed length the value is that many bytes (blank-padded when shorter), else the whole text.
class TStringVariable : public TVariable {
public:
    TStringVariable(QByteArray name, const QByteArray* address, int fixedLength = -1)
        : TVariable(std::move(name), ExprType::String), m_address(address), m_fixedLength(fixedLength) {}
    void run(ExprCall& call) const override;
    int fixedLength() const { return m_fixedLength; }
    void setFixedLength(int length) { m_fixedLength = length; }

private:
    const QByteArray* m_address;
    int m_fixedLength;
};

class TLeftBracket : public TExprWord {
public:
    TLeftBracket() : TExprWord("(") {}
    ExprType resultType() const override { return ExprType::LeftBracket; }
};

class TRightBracket : public TExprWord {
public:
    TRightBracket() : TExprWord(")") {}
    ExprType resultType() const override { return ExprType::RightBracket; }
};

class TComma : public TExprWord {
public:
    TComma() : TExprWord(",") {}
    ExprType resultType() const override { return ExprType::Comma; }
};

using ExprOperation = void (*)(ExprCall&);

class TFunction : public TExprWord {
public:
    // An operator takes exactly as many arguments as its type string has letters.
    static ExprWordPtr makeOperator(QByteArray name, QByteArray typeSpec, ExprType result, ExprOperation operation,
                                    int precedence);
    static ExprWordPtr makeFunction(QByteArray name, QByteArray shortName, QByteArray typeSpec, int minArguments,
                                    ExprType result, ExprOperation operation);

    bool isOperator() const override { return m_isOperator; }
    bool isFunction() const override { return true; }
    ExprType resultType() const override { return m_result; }
    int minArguments() const override { return m_minArguments; }
    int maxArguments() const override { return int(m_typeSpec.size()); }
    QByteArray shortName() const override { return m_shortName; }
    QByteArray typeSpec() const override { return m_typeSpec; }
    int precedence() const override { return m_precedence; }
    bool hasOperation() const override { return m_operation != nullptr; }
    void run(ExprCall& call) const override { m_operation(call); }

private:
    TFunction(QByteArray name, QByteArray shortName, QByteArray typeSpec, ExprType result, ExprOperation operation);

    bool m_isOperator = false;
    int m_precedence = 0;
    int m_minArguments = 0;
    QByteArray m_shortName;
    QByteArray m_typeSpec;
    ExprType m_result;
    ExprOperation m_operation;
};
