// The compiled form of an expression: a tree of words, and the list of steps made from it by a post-order
// walk. Steps name their areas by index into the program's own buffers, so growing an area never leaves a
// step pointing at freed bytes. Area 0 is the result of the whole expression.
#pragma once

#include "dbase/expression_word.h"

#include <memory>
#include <vector>

struct ExprNode {
    ExprWordPtr word;
    std::vector<std::unique_ptr<ExprNode>> args;
    bool withBrackets = false;   // a function written with its argument brackets

    bool holdsVariable() const;
};

struct ExprStep {
    ExprWordPtr word;
    int result = 0;
    bool firstWriter = false;   // resets the position of its result area before it runs
    int argCount = 0;
    std::array<int, MaxArguments> args{};
    std::array<ExprType, MaxArguments> argTypes{};
};

class ExprProgram {
public:
    ExprProgram() : m_buffers(1) {}
    // Appends the steps of node's tree, writing into area 0.
    void build(const ExprNode& root) { link(root, 0); }
    // Runs every step once; operations may raise EParserException.
    void run(int codePage);
    const ExprBuffer& result() const { return m_buffers.front(); }
    int stepCount() const { return int(m_steps.size()); }

private:
    void link(const ExprNode& node, int resultArea);

    std::vector<ExprBuffer> m_buffers;
    std::vector<ExprStep> m_steps;
};
