// TCustomExpressionParser: compiles a dBase expression (an index key or a filter) into a list of steps and
// evaluates it. Compilation trims, tokenizes, checks the tokens, builds a tree by precedence, resolves
// overloads by argument types, folds constant text, boolean and float parts, and links the steps. Every
// error raises EParserException and keeps nothing of the failed text. "*" and "/" bind tighter than "+" and
// "-"; operators of one level group left to right; a leading sign is a unary minus or plus.
#pragma once

#include "dbase/expression_list.h"
#include "dbase/expression_program.h"

#include <QByteArray>

#include <memory>
#include <vector>

class TCustomExpressionParser {
public:
    TCustomExpressionParser() = default;
    virtual ~TCustomExpressionParser() = default;
    Q_DISABLE_COPY_MOVE(TCustomExpressionParser)

    // An empty (or blank) text leaves nothing compiled.
    void Compile(const QByteArray& text);
    // Runs the compiled steps once; the value is in ResultArea(). Operations may raise EParserException.
    void Evaluate();
    const ExprBuffer& ResultArea() const { return m_program ? m_program->result() : m_emptyResult; }
    ExprType ResultType() const { return m_resultType; }
    bool isCompiled() const { return m_program != nullptr; }
    int stepCount() const { return m_program ? m_program->stepCount() : 0; }
    void Clear();

    void AddIntegerVariable(const QByteArray& name, const qint32* value);
    void AddLargeIntVariable(const QByteArray& name, const qint64* value);
    void AddFloatVariable(const QByteArray& name, const double* value);
    void AddDateTimeVariable(const QByteArray& name, const double* value);
    void AddBooleanVariable(const QByteArray& name, const bool* value);
    void AddStringVariable(const QByteArray& name, const QByteArray* value, int fixedLength = -1);

    bool FoldConstants = true;
    // The code page whose rules UPPER, LOWER and comparisons without case follow.
    void setCodePage(int codePage) { m_codePage = codePage; }
    int codePage() const { return m_codePage; }

protected:
    TExpressList& wordList() { return m_words; }
    // A name the word list does not know: a descendant may define a variable for it; null when not.
    virtual ExprWordPtr HandleUnknownVariable(const QByteArray& name);

private:
    using Tokens = std::vector<ExprWordPtr>;
    Tokens tokenize(QByteArrayView text);
    ExprWordPtr wordForName(const QByteArray& name);
    void checkTokens(Tokens& tokens) const;
    void shortenSigns(Tokens& tokens) const;
    std::unique_ptr<ExprNode> buildTree(const Tokens& tokens, int first, int last) const;
    std::unique_ptr<ExprNode> buildCall(const Tokens& tokens, int first, int last) const;
    int rootOperator(const Tokens& tokens, int first, int last) const;
    void resolve(ExprNode& node) const;
    void fold(std::unique_ptr<ExprNode>& node) const;

    TExpressList m_words;
    std::unique_ptr<ExprProgram> m_program;
    ExprType m_resultType = ExprType::Unknown;
    ExprBuffer m_emptyResult;
    int m_codePage = 1252;
};
