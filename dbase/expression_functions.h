// The built-in words of dBase expressions: brackets and comma, arithmetic (with a unary minus and plus),
// numeric comparisons, NOT, AND, OR, STR, DTOS, SUBSTR, UPPER and LOWER; and the six lists of text
// comparisons a parser chooses from by its case and partial-match options. Built once, shared by all parsers.
// Integer division by zero (and the smallest integer divided by -1) and float division by zero raise
// EParserException.
#pragma once

#include "dbase/expression_list.h"

namespace exprwords {

inline constexpr int MultiplyPrecedence = 30;
inline constexpr int AddPrecedence = 40;
inline constexpr int ComparePrecedence = 80;
inline constexpr int NotPrecedence = 85;
inline constexpr int AndPrecedence = 90;
inline constexpr int OrPrecedence = 100;
inline constexpr int SignPrecedence = 20;

const TExpressList& general();
// "<", ">", "<=", ">=", "<>" over texts, by the locale comparison with or without case.
const TExpressList& textRelations(bool caseInsensitive);
// "=" over texts: plain, or with "*" patterns at either end of the right-hand text.
const TExpressList& textEquality(bool caseInsensitive, bool partial);

}  // namespace exprwords
