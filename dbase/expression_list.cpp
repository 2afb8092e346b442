// Word lists: see expression_list.h.

#include "dbase/expression_list.h"

#include <algorithm>

namespace {

int compareNames(QByteArrayView left, QByteArrayView right)
{
    return left.compare(right, Qt::CaseInsensitive);
}

}  // namespace

void TExpressList::add(const ExprWordPtr& word)
{
    // After the last word of an equal name, so overloads keep the order they were added in.
    const auto at = std::upper_bound(m_words.begin(), m_words.end(), word, [](const ExprWordPtr& a, const ExprWordPtr& b) {
        return compareNames(a->name(), b->name()) < 0;
    });
    m_words.insert(at, word);
}

void TExpressList::addAll(const TExpressList& other)
{
    for (const ExprWordPtr& word : other.m_words)
        add(word);
}

void TExpressList::remove(const ExprWordPtr& word)
{
    m_words.removeAll(word);
}

ExprWordPtr TExpressList::find(QByteArrayView name) const
{
    const auto at = std::lower_bound(m_words.begin(), m_words.end(), name, [](const ExprWordPtr& a, QByteArrayView n) {
        return compareNames(a->name(), n) < 0;
    });
    if (at != m_words.end() && compareNames((*at)->name(), name) == 0)
        return *at;
    for (const ExprWordPtr& word : m_words)
        if (!word->shortName().isEmpty() && compareNames(word->shortName(), name) == 0)
            return find(word->name());
    return nullptr;
}

QList<ExprWordPtr> TExpressList::overloadsOf(const TExprWord& word) const
{
    QList<ExprWordPtr> result;
    for (const ExprWordPtr& candidate : m_words)
        if (compareNames(candidate->name(), word.name()) == 0)
            result.append(candidate);
    return result;
}
