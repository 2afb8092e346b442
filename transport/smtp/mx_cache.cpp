// The relay's per-run MX memory: see mx_cache.h.

#include "transport/smtp/mx_cache.h"

void MxCache::clear()
{
    m_answers.clear();
    m_lookups.clear();
}

const dns::MailExchangers* MxCache::answer(const QString& domain) const
{
    const auto found = m_answers.constFind(keyOf(domain));
    return found == m_answers.cend() ? nullptr : &*found;
}

void MxCache::storeAnswer(const QString& domain, const dns::MailExchangers& answer)
{
    if (m_answers.size() >= kMaxAnswers)
        return;
    m_answers.insert(keyOf(domain), answer);
}

bool MxCache::lookupUnderWay(const QString& domain) const
{
    return m_lookups.contains(keyOf(domain));
}

void MxCache::startLookup(const QString& domain)
{
    m_lookups.insert(keyOf(domain), {});
}

void MxCache::addWaiter(const QString& domain, const QPointer<TSmtpThreadEx>& worker)
{
    m_lookups[keyOf(domain)].append(worker);
}

MxCache::Waiters MxCache::endLookup(const QString& domain)
{
    return m_lookups.take(keyOf(domain));
}
