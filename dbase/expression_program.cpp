// Compiled expressions: see expression_program.h.

#include "dbase/expression_program.h"

bool ExprNode::holdsVariable() const
{
    if (word->isVariable())
        return true;
    for (const auto& arg : args)
        if (arg->holdsVariable())
            return true;
    return false;
}

void ExprProgram::link(const ExprNode& node, int resultArea)
{
    if (!node.word->hasOperation()) {
        // The joining "+" of texts: its arguments write one after the other into its own area.
        for (const auto& arg : node.args)
            link(*arg, resultArea);
        return;
    }
    ExprStep step;
    step.word = node.word;
    step.argCount = int(node.args.size());
    for (int i = 0; i < step.argCount; ++i) {
        m_buffers.emplace_back();
        step.args[size_t(i)] = int(m_buffers.size()) - 1;
        step.argTypes[size_t(i)] = node.args[size_t(i)]->word->resultType();
        link(*node.args[size_t(i)], step.args[size_t(i)]);
    }
    step.result = resultArea;
    step.firstWriter = m_buffers[size_t(resultArea)].writers++ == 0;
    m_steps.push_back(std::move(step));
}

void ExprProgram::run(int codePage)
{
    for (const ExprStep& step : m_steps) {
        ExprBuffer& result = m_buffers[size_t(step.result)];
        if (step.firstWriter)
            result.position = 0;
        std::array<const ExprBuffer*, MaxArguments> args{};
        for (int i = 0; i < step.argCount; ++i)
            args[size_t(i)] = &m_buffers[size_t(step.args[size_t(i)])];
        ExprCall call(args.data(), step.argTypes.data(), step.argCount, result, codePage);
        step.word->run(call);
    }
}
