// The expression compiler: see expression_parser.h.

#include "dbase/expression_parser.h"

#include <QtEndian>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool isRelation(char c) { return c == '<' || c == '=' || c == '>'; }

bool is(const ExprWordPtr& word, ExprType type) { return word->resultType() == type && !word->isFunction(); }
bool isLeft(const ExprWordPtr& word) { return is(word, ExprType::LeftBracket); }
bool isRight(const ExprWordPtr& word) { return is(word, ExprType::RightBracket); }
bool isComma(const ExprWordPtr& word) { return is(word, ExprType::Comma); }

[[noreturn]] void fail(const QString& message) { throw EParserException(message); }

ExprWordPtr integerConstant(const QByteArray& text, const QByteArray& digits)
{
    bool ok = false;
    const qint32 value = digits.toInt(&ok, 10);
    if (!ok)
        fail(QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(text)));
    return std::make_shared<TIntegerConstant>(text, value);
}

ExprWordPtr numberConstant(const QByteArray& text)
{
    if (!text.contains('.'))
        return integerConstant(text, text);
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        fail(QStringLiteral("'%1' is not a valid floating point value").arg(QString::fromLatin1(text)));
    return std::make_shared<TFloatConstant>(text, value);
}

// "$" and hexadecimal digits: read as a number, written as decimal text and read again as an integer, so a
// value beyond 32 bits fails as any other integer text does.
ExprWordPtr hexConstant(const QByteArray& text)
{
    bool ok = false;
    const quint64 value = text.mid(1).toULongLong(&ok, 16);
    return integerConstant(text, ok ? QByteArray::number(value) : text);
}

// Leftmost "(" of the range closes at its last token.
bool enclosedInBrackets(const std::vector<ExprWordPtr>& tokens, int first, int last)
{
    if (first >= last || !isLeft(tokens[size_t(first)]) || !isRight(tokens[size_t(last)]))
        return false;
    int depth = 0;
    for (int i = first; i <= last; ++i) {
        if (isLeft(tokens[size_t(i)]))
            ++depth;
        else if (isRight(tokens[size_t(i)]) && --depth == 0)
            return i == last;
    }
    return false;
}

}  // namespace

ExprWordPtr TCustomExpressionParser::HandleUnknownVariable(const QByteArray&)
{
    return nullptr;
}

void TCustomExpressionParser::Clear()
{
    m_program.reset();
    m_resultType = ExprType::Unknown;
}

void TCustomExpressionParser::Compile(const QByteArray& text)
{
    Clear();
    const QByteArray trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return;
    Tokens tokens = tokenize(trimmed);
    checkTokens(tokens);
    std::unique_ptr<ExprNode> root = buildTree(tokens, 0, int(tokens.size()) - 1);
    if (!root)
        fail(QStringLiteral("Operator/function missing"));
    resolve(*root);
    if (FoldConstants)
        fold(root);
    auto program = std::make_unique<ExprProgram>();
    program->build(*root);
    m_resultType = root->word->resultType();
    m_program = std::move(program);
}

void TCustomExpressionParser::Evaluate()
{
    if (m_program)
        m_program->run(m_codePage);
}

ExprWordPtr TCustomExpressionParser::wordForName(const QByteArray& name)
{
    if (ExprWordPtr word = m_words.find(name))
        return word;
    if (ExprWordPtr variable = HandleUnknownVariable(name)) {
        m_words.add(variable);
        return variable;
    }
    fail(QStringLiteral("Unknown variable '%1' found.").arg(QString::fromLatin1(name)));
}

TCustomExpressionParser::Tokens TCustomExpressionParser::tokenize(QByteArrayView text)
{
    Tokens tokens;
    const qsizetype n = text.size();
    qsizetype i = 0;
    const auto at = [&](qsizetype k) { return k < n ? text[k] : '\0'; };
    while (i < n) {
        const char c = text[i];
        if (uchar(c) <= ' ') {
            ++i;
            continue;
        }
        const qsizetype start = i;
        if (isDigit(c) || c == '.') {
            while (isDigit(at(i)))
                ++i;
            if (at(i) == '.')
                for (++i; isDigit(at(i)); ++i) {}
            if (at(i) == 'e') {
                ++i;
                if (at(i) == '+' || at(i) == '-')
                    ++i;
                while (isDigit(at(i)))
                    ++i;
            }
            tokens.push_back(numberConstant(text.sliced(start, i - start).toByteArray()));
        } else if (c == '$') {
            for (++i; isHexDigit(at(i)); ++i) {}
            tokens.push_back(hexConstant(text.sliced(start, i - start).toByteArray()));
        } else if (c == '\'' || c == '"') {
            qsizetype end = text.sliced(i + 1).indexOf(c);
            end = end < 0 ? n : i + 1 + end;
            tokens.push_back(std::make_shared<TStringConstant>(text.sliced(i + 1, end - i - 1).toByteArray()));
            i = end < n ? end + 1 : n;
        } else {
            if (isLetter(c)) {
                while (isLetter(at(i)) || isDigit(at(i)))
                    ++i;
            } else {
                ++i;
                const char next = at(i);
                if ((isRelation(c) && isRelation(next)) || ((c == '!' || c == ':') && next == '=')
                    || (c == '&' && next == '&'))
                    ++i;
                else if ((c == '+' || c == '-') && next == c && m_words.find(QByteArray(2, c)))
                    ++i;
            }
            tokens.push_back(wordForName(text.sliced(start, i - start).toByteArray()));
        }
    }
    return tokens;
}

void TCustomExpressionParser::checkTokens(Tokens& tokens) const
{
    int left = 0, right = 0;
    for (const ExprWordPtr& token : tokens) {
        left += isLeft(token);
        right += isRight(token);
    }
    if (left != right)
        fail(QStringLiteral("Unequal brackets"));
    shortenSigns(tokens);
    for (size_t i = 0; i < tokens.size(); ++i) {
        const ExprWordPtr& token = tokens[i];
        const ExprWordPtr next = i + 1 < tokens.size() ? tokens[i + 1] : nullptr;
        if (isLeft(token) && !next)
            fail(QStringLiteral("Missing closing bracket"));
        if (!next)
            break;
        if (token->isOperand() && next->isOperand())
            fail(QStringLiteral("Missing operator between '%1' and '%2'")
                     .arg(QString::fromLatin1(token->name()), QString::fromLatin1(next->name())));
        if (isRight(token) && isLeft(next))
            fail(QStringLiteral("Missing operator between )("));
        if (isRight(token) && next->isOperand())
            fail(QStringLiteral("Missing operator between ) and constant/variable"));
        if (token->isOperand() && isLeft(next))
            fail(QStringLiteral("Missing operator between constant/variable and ("));
    }
}

// A run of "+" and "-" that starts the text, or follows "(", "," or an operator, becomes one unary sign:
// minus for an odd number of "-", plus otherwise.
void TCustomExpressionParser::shortenSigns(Tokens& tokens) const
{
    const auto isSign = [](const ExprWordPtr& w) { return w->isOperator() && (w->name() == "-" || w->name() == "+"); };
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!isSign(tokens[i]))
            continue;
        const bool opens = i == 0 || isLeft(tokens[i - 1]) || isComma(tokens[i - 1]) || tokens[i - 1]->isOperator();
        if (!opens)
            continue;
        size_t end = i;
        int minus = 0;
        for (; end < tokens.size() && isSign(tokens[end]); ++end)
            minus += tokens[end]->name() == "-";
        if (ExprWordPtr unary = m_words.find(minus % 2 ? "-@" : "+@")) {
            tokens[i] = unary;
            tokens.erase(tokens.begin() + qsizetype(i) + 1, tokens.begin() + qsizetype(end));
        }
    }
}

// The operator at bracket depth 0 with the largest precedence number; among equal numbers the rightmost,
// so that operators of one level group left to right. A prefix operator counts only where the range begins.
int TCustomExpressionParser::rootOperator(const Tokens& tokens, int first, int last) const
{
    int best = -1, depth = 0;
    for (int i = first; i <= last; ++i) {
        const ExprWordPtr& token = tokens[size_t(i)];
        if (isLeft(token))
            ++depth;
        else if (isRight(token))
            --depth;
        else if (depth == 0 && token->isOperator() && (!token->isPrefixOperator() || i == first)
                 && (best < 0 || token->precedence() >= tokens[size_t(best)]->precedence()))
            best = i;
    }
    return best;
}

std::unique_ptr<ExprNode> TCustomExpressionParser::buildTree(const Tokens& tokens, int first, int last) const
{
    while (enclosedInBrackets(tokens, first, last))
        ++first, --last;
    if (first > last)
        return nullptr;
    auto node = std::make_unique<ExprNode>();
    if (first == last) {
        node->word = tokens[size_t(first)];
        if (!node->word->isOperand() && !node->word->isFunction())
            fail(QStringLiteral("Operator/function missing"));
        return node;
    }
    const int p = rootOperator(tokens, first, last);
    if (p < 0)
        return buildCall(tokens, first, last);
    node->word = tokens[size_t(p)];
    if (auto left = p > first ? buildTree(tokens, first, p - 1) : nullptr)
        node->args.push_back(std::move(left));
    if (auto right = buildTree(tokens, p + 1, last))
        node->args.push_back(std::move(right));
    return node;
}

std::unique_ptr<ExprNode> TCustomExpressionParser::buildCall(const Tokens& tokens, int first, int last) const
{
    auto node = std::make_unique<ExprNode>();
    node->word = tokens[size_t(first)];
    if (!node->word->isFunction())
        fail(QStringLiteral("Operator/function missing"));
    if (!isLeft(tokens[size_t(first) + 1]))
        return node;
    if (!enclosedInBrackets(tokens, first + 1, last))
        fail(QStringLiteral("Operator/function missing"));   // more follows the closing bracket
    node->withBrackets = true;
    if (first + 2 > last - 1)
        return node;
    int depth = 0, partStart = first + 2;
    for (int i = first + 2; i <= last; ++i) {
        const ExprWordPtr& token = tokens[size_t(i)];
        depth += isLeft(token) - isRight(token);
        if (i < last && !(depth == 0 && isComma(token)))
            continue;
        if (node->args.size() == MaxArguments)
            fail(QStringLiteral("Function or operand has too many arguments"));
        auto arg = buildTree(tokens, partStart, i - 1);
        if (!arg)
            fail(QStringLiteral("Function or operand has too few arguments"));
        node->args.push_back(std::move(arg));
        partStart = i + 1;
    }
    return node;
}

// Arguments first; then the first overload of the word whose brackets, count and types fit wins, and the
// error of the last overload tried is raised when none fits.
void TCustomExpressionParser::resolve(ExprNode& node) const
{
    for (auto& arg : node.args)
        resolve(*arg);
    QList<ExprWordPtr> candidates = node.word->isFunction() ? m_words.overloadsOf(*node.word) : QList<ExprWordPtr>();
    if (candidates.isEmpty())
        candidates.append(node.word);
    QString error;
    for (const ExprWordPtr& word : candidates) {
        const int count = int(node.args.size());
        if ((word->isFunction() && !word->isOperator()) != node.withBrackets)
            error = QStringLiteral("No function with this name, remove brackets for variable");
        else if (count < word->minArguments())
            error = QStringLiteral("Function or operand has too few arguments");
        else if (count > word->maxArguments())
            error = QStringLiteral("Function or operand has too many arguments");
        else {
            const QByteArray spec = word->typeSpec();
            int i = 0;
            while (i < count && letterOf(node.args[size_t(i)]->word->resultType()) == spec[i])
                ++i;
            if (i == count) {
                node.word = word;
                return;
            }
            error = QStringLiteral("Argument type mismatch");
        }
    }
    fail(error);
}

// A part without variables that computes a text, a boolean or a float is run once and becomes a constant.
void TCustomExpressionParser::fold(std::unique_ptr<ExprNode>& node) const
{
    const ExprType type = node->word->resultType();
    const bool foldable = type == ExprType::String || type == ExprType::Boolean || type == ExprType::Float;
    if (node->args.empty() || node->holdsVariable() || !foldable) {
        for (auto& arg : node->args)
            fold(arg);
        return;
    }
    ExprProgram program;
    program.build(*node);
    program.run(m_codePage);
    const ExprBuffer& result = program.result();
    auto constant = std::make_unique<ExprNode>();
    if (type == ExprType::String)
        constant->word = std::make_shared<TStringConstant>(result.written().toByteArray());
    else if (type == ExprType::Boolean)
        constant->word = std::make_shared<TBooleanConstant>(result.bytes.at(0) ? "TRUE" : "FALSE", result.bytes.at(0) != 0);
    else
        constant->word = std::make_shared<TFloatConstant>("float", qFromUnaligned<double>(result.bytes.constData()));
    node = std::move(constant);
}

void TCustomExpressionParser::AddIntegerVariable(const QByteArray& name, const qint32* value)
{
    m_words.add(std::make_shared<TIntegerVariable>(name, value));
}

void TCustomExpressionParser::AddLargeIntVariable(const QByteArray& name, const qint64* value)
{
    m_words.add(std::make_shared<TLargeIntVariable>(name, value));
}

void TCustomExpressionParser::AddFloatVariable(const QByteArray& name, const double* value)
{
    m_words.add(std::make_shared<TFloatVariable>(name, value));
}

void TCustomExpressionParser::AddDateTimeVariable(const QByteArray& name, const double* value)
{
    m_words.add(std::make_shared<TDateTimeVariable>(name, value));
}

void TCustomExpressionParser::AddBooleanVariable(const QByteArray& name, const bool* value)
{
    m_words.add(std::make_shared<TBooleanVariable>(name, value));
}

void TCustomExpressionParser::AddStringVariable(const QByteArray& name, const QByteArray* value, int fixedLength)
{
    m_words.add(std::make_shared<TStringVariable>(name, value, fixedLength));
}
