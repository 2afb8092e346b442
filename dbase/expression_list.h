// TExpressList: the words a parser knows, kept sorted by name (ASCII letters without case). Overloads share
// a name and stand next to each other in the order they were added; a word is also found by its short name.
#pragma once

#include "dbase/expression_word.h"

#include <QList>

class TExpressList {
public:
    void add(const ExprWordPtr& word);
    void addAll(const TExpressList& other);
    void remove(const ExprWordPtr& word);
    // The first word of that name or short name; null when none.
    ExprWordPtr find(QByteArrayView name) const;
    // Every word of the same name as word, in list order.
    QList<ExprWordPtr> overloadsOf(const TExprWord& word) const;
    const QList<ExprWordPtr>& words() const { return m_words; }

private:
    QList<ExprWordPtr> m_words;
};
