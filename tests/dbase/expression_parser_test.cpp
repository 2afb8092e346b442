// The expression compiler over plain variables: precedence and grouping, unary signs, the error texts,
// numbers (hexadecimal, exponents), brackets, folding, overloads and evaluation into shared areas.

#include "dbase/expression_functions.h"
#include "dbase/expression_parser.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace {

class TestParser : public TCustomExpressionParser {
public:
    TestParser()
    {
        wordList().addAll(exprwords::general());
        wordList().addAll(exprwords::textRelations(false));
        wordList().addAll(exprwords::textEquality(false, false));
        AddIntegerVariable("A", &a);
        AddIntegerVariable("B", &b);
        AddIntegerVariable("C", &c);
        AddFloatVariable("X", &x);
        AddStringVariable("NAME", &name, 6);
        AddBooleanVariable("FLAG", &flag);
    }
    qint32 integer() { Evaluate(); return qFromUnaligned<qint32>(ResultArea().bytes.constData()); }
    double number() { Evaluate(); return qFromUnaligned<double>(ResultArea().bytes.constData()); }
    QByteArray text() { Evaluate(); return ResultArea().written().toByteArray(); }
    bool boolean() { Evaluate(); return ResultArea().bytes.at(0) != 0; }

    qint32 a = 2, b = 3, c = 4;
    double x = 1.5;
    QByteArray name = "Smith ";
    bool flag = true;
};

struct IntegerCase {
    const char* text;
    qint32 expected;
};

class IntegerExpressionTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerExpressionTest, Evaluates)
{
    TestParser parser;
    parser.Compile(GetParam().text);
    ASSERT_EQ(parser.ResultType(), ExprType::Integer);
    EXPECT_EQ(parser.integer(), GetParam().expected) << GetParam().text;
}

// A=2, B=3, C=4.
INSTANTIATE_TEST_SUITE_P(PrecedenceAndGrouping, IntegerExpressionTest, ::testing::Values(
    IntegerCase{"A+B*C", 14},
    IntegerCase{"A*B+C", 10},
    IntegerCase{"A-B-C", -5},
    IntegerCase{"C/A/A", 1},
    IntegerCase{"C-A+B", 5},
    IntegerCase{"(A+B)*C", 20},
    IntegerCase{"((A))", 2},
    IntegerCase{"(A)+(B)", 5},
    IntegerCase{"-A", -2},
    IntegerCase{"-A*B", -6},
    IntegerCase{"A*-B", -6},
    IntegerCase{"A--B", 5},
    IntegerCase{"- -A", 2},
    IntegerCase{"+A", 2},
    IntegerCase{"-(A+B)", -5},
    IntegerCase{"$1F", 31},
    IntegerCase{"$1f + 1", 32},
    IntegerCase{"7/2", 3},
    IntegerCase{"-7/2", -3},
    IntegerCase{"2147483647+1", -2147483647 - 1}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

struct ErrorCase {
    const char* text;
    const char* message;
};

class ExpressionErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ExpressionErrorTest, RaisesTheText)
{
    TestParser parser;
    parser.Compile("A");
    try {
        parser.Compile(GetParam().text);
        FAIL() << "compiled: " << GetParam().text;
    } catch (const EParserException& error) {
        EXPECT_EQ(error.message().toStdString(), GetParam().message);
    }
    EXPECT_FALSE(parser.isCompiled());   // nothing kept of a failed text, nor of the one before
}

INSTANTIATE_TEST_SUITE_P(Texts, ExpressionErrorTest, ::testing::Values(
    ErrorCase{"A B", "Missing operator between 'A' and 'B'"},
    ErrorCase{"(A", "Unequal brackets"},
    ErrorCase{"A)", "Unequal brackets"},
    ErrorCase{"UPPER", "No function with this name, remove brackets for variable"},
    ErrorCase{"A(", "Unequal brackets"},
    ErrorCase{"A)(", "Missing operator between )("},
    ErrorCase{"(A)(B)", "Missing operator between )("},
    ErrorCase{"(A)B", "Missing operator between ) and constant/variable"},
    ErrorCase{"A(B)", "Missing operator between constant/variable and ("},
    ErrorCase{"A+", "Function or operand has too few arguments"},
    ErrorCase{"A*", "Function or operand has too few arguments"},
    ErrorCase{"SUBSTR('x',1)", "Function or operand has too few arguments"},
    ErrorCase{"UPPER('a','b')", "Function or operand has too many arguments"},
    ErrorCase{"UPPER(A)", "Argument type mismatch"},
    ErrorCase{"A AND B", "Argument type mismatch"},
    ErrorCase{"ZZ", "Unknown variable 'ZZ' found."},
    ErrorCase{"A # B", "Unknown variable '#' found."},
    ErrorCase{"1e5", "'1e5' is not a valid integer value"},
    ErrorCase{"99999999999", "'99999999999' is not a valid integer value"},
    ErrorCase{"$FFFFFFFF", "'$FFFFFFFF' is not a valid integer value"},
    ErrorCase{"A,B", "Operator/function missing"},
    ErrorCase{"()", "Operator/function missing"},
    ErrorCase{"UPPER('a') UPPER('b')", "Operator/function missing"},
    ErrorCase{"STR(1/0)", "Division by zero"},      // constant text is folded while compiling
    ErrorCase{"STR(1.5/0)", "Division by zero"},
    ErrorCase{"STR((-2147483647-1)/-1)", "Integer overflow in division"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(ExpressionParserTest, IntegerDivisionByZeroRaisesWhenEvaluated)
{
    TestParser parser;
    parser.Compile("A/B");
    parser.b = 0;
    EXPECT_THROW(parser.Evaluate(), EParserException);
    parser.a = std::numeric_limits<qint32>::min();
    parser.b = -1;
    EXPECT_THROW(parser.Evaluate(), EParserException);
    parser.b = 2;
    EXPECT_EQ(parser.integer(), std::numeric_limits<qint32>::min() / 2);
}

TEST(ExpressionParserTest, NumbersAndOverloads)
{
    TestParser parser;
    parser.Compile("1.5e3");
    EXPECT_EQ(parser.ResultType(), ExprType::Float);
    EXPECT_DOUBLE_EQ(parser.number(), 1500);
    parser.Compile(".25 + 1");   // the "FI" overload of "+"
    EXPECT_EQ(parser.ResultType(), ExprType::Float);
    EXPECT_DOUBLE_EQ(parser.number(), 1.25);
    parser.Compile("X + A");
    EXPECT_DOUBLE_EQ(parser.number(), 3.5);
    parser.Compile("-X");
    EXPECT_DOUBLE_EQ(parser.number(), -1.5);
    parser.Compile("A < X AND NOT FLAG OR A = 2");
    EXPECT_EQ(parser.ResultType(), ExprType::Boolean);
    EXPECT_TRUE(parser.boolean());
    parser.Compile("NOT NOT FLAG");
    EXPECT_TRUE(parser.boolean());
    parser.Compile("NOT A = 2");   // NOT binds less tightly than a comparison
    EXPECT_FALSE(parser.boolean());
}

TEST(ExpressionParserTest, ConstantsFoldAndVariablesStay)
{
    TestParser parser;
    parser.Compile("'ab' + \"cd\"");
    EXPECT_EQ(parser.stepCount(), 1);
    EXPECT_EQ(parser.text(), "abcd");
    parser.Compile("UPPER(NAME)");
    EXPECT_EQ(parser.stepCount(), 2);
    EXPECT_EQ(parser.text(), "SMITH ");
    parser.Compile("1.5 * 2 + X");
    EXPECT_EQ(parser.stepCount(), 3);   // the folded constant, X and the sum
    EXPECT_DOUBLE_EQ(parser.number(), 4.5);
    parser.FoldConstants = false;
    parser.Compile("'ab' + 'cd'");
    EXPECT_EQ(parser.stepCount(), 2);
    EXPECT_EQ(parser.text(), "abcd");
}

// Texts joined by "+" write one after the other into one area, which grows past its first 32 bytes, and
// every evaluation starts that area afresh.
TEST(ExpressionParserTest, JoinedTextsShareOneGrowingArea)
{
    TestParser parser;
    parser.Compile("NAME + '-' + UPPER(NAME + NAME + NAME + NAME + NAME + NAME) + 'x' + NAME");
    const QByteArray expected = "Smith -SMITH SMITH SMITH SMITH SMITH SMITH xSmith ";
    EXPECT_EQ(parser.text(), expected);
    EXPECT_EQ(parser.text(), expected);
    parser.name = "Jo";
    EXPECT_EQ(parser.text(), "Jo    -JO    JO    JO    JO    JO    JO    xJo    ");
    parser.Compile("'a' + 'b' = 'ab' AND NAME + 'z' <> 'z'");
    EXPECT_TRUE(parser.boolean());
}

}  // namespace
