// TDbfParser: expressions over the fields of one table. A name that is not a built-in word is looked up
// among the table's fields and becomes a variable read from the record buffer on each evaluation: text raw
// (the field's bytes, its length fixed) or translated (trailing blanks cut, in the system's page), numbers,
// dates (days since the base date), logicals. TDbfIndexParser finds the key length of a key expression,
// evaluating it over an empty record when the type does not tell, and refuses keys over 100 characters.
// Field errors raise EDbfError with the table layer's texts; expression errors EParserException.
#pragma once

#include "dbase/expression_parser.h"

#include <QByteArray>

#include <memory>
#include <vector>

class TDbfFile;
struct FieldVar;

class TDbfParser : public TCustomExpressionParser {
public:
    explicit TDbfParser(const TDbfFile& table);
    ~TDbfParser() override;

    void ParseExpression(const QByteArray& text);
    const QByteArray& Expression() const { return m_expression; }
    // 4 integer, 8 float and date-time, 1 boolean, the field length for one raw text field, else -1.
    virtual int KeyLength() const;
    // Reads the fields from record (deleted flag first) and evaluates; the value is in ResultArea().
    const ExprBuffer& ExtractFromBuffer(QByteArrayView record);

    void setCaseInsensitive(bool on);
    void setPartialMatch(bool on);
    void setRawStringFields(bool on);
    bool rawStringFields() const { return m_raw; }

protected:
    ExprWordPtr HandleUnknownVariable(const QByteArray& name) override;
    virtual void ValidateExpression() {}
    const TDbfFile& table() const { return m_table; }

private:
    void fillWordList();
    void refresh(FieldVar& var, QByteArrayView record) const;

    const TDbfFile& m_table;
    std::vector<std::unique_ptr<FieldVar>> m_vars;
    QByteArray m_expression;
    int m_singleField = -1;   // the field when the whole text is one field's name
    bool m_caseInsensitive = true;
    bool m_partial = false;
    bool m_raw = true;
};

class TDbfIndexParser : public TDbfParser {
public:
    using TDbfParser::TDbfParser;
    int KeyLength() const override { return m_keyLength; }
    static constexpr int MaxKeyLength = 100;

protected:
    void ValidateExpression() override;

private:
    int m_keyLength = -1;
};
