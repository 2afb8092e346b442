// The relay's memory of MX answers for one run, by domain (compared without letter case), and of the lookups
// under way, so that recipients of a domain share one query. Only answers are kept, with their hosts sorted by
// preference: a DNS error, a server failure or a silent server leaves nothing behind, so the next recipient of
// that domain asks again. Memory is bounded: past kMaxAnswers domains, further answers are used but not kept.
#pragma once

#include "transport/net/mail_exchangers.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>

class TSmtpThreadEx;

class MxCache {
public:
    using Waiters = QList<QPointer<TSmtpThreadEx>>;
    static constexpr qsizetype kMaxAnswers = 20000;   // a few MB with two or three hosts a domain

    void clear();

    const dns::MailExchangers* answer(const QString& domain) const;
    void storeAnswer(const QString& domain, const dns::MailExchangers& answer);

    bool lookupUnderWay(const QString& domain) const;
    void startLookup(const QString& domain);
    void addWaiter(const QString& domain, const QPointer<TSmtpThreadEx>& worker);
    // Ends the lookup, answered or not, and hands back the workers that waited for it.
    Waiters endLookup(const QString& domain);

private:
    static QString keyOf(const QString& domain) { return domain.toLower(); }

    QHash<QString, dns::MailExchangers> m_answers;
    QHash<QString, Waiters> m_lookups;   // a domain is here while one worker's query for it is out
};
