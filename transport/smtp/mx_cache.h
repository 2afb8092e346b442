// The relay's memory of MX answers for one run, by domain (compared without letter case), and of the lookups
// under way, so that recipients of a domain share one query. Only answers are kept: a DNS error or a silent
// server leaves nothing behind, so the next recipient of that domain asks again. Memory is bounded: past
// kMaxAnswers domains, further answers are used but not kept.
#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>

class TSmtpThreadEx;

// What a reply said about a domain's mail host.
struct MxAnswer {
    enum class Kind {
        Exchange,       // the first answer is an MX record: deliver to its exchange
        DomainItself,   // no answers (no MX records, or no such domain): deliver to the domain's own name
        NoMailHost,     // the first answer is something else (a CNAME, say)
    };
    Kind kind = Kind::NoMailHost;
    QString exchange;   // for Exchange only
};

class MxCache {
public:
    using Waiters = QList<QPointer<TSmtpThreadEx>>;
    static constexpr qsizetype kMaxAnswers = 20000;   // about 3 MB

    void clear();

    const MxAnswer* answer(const QString& domain) const;
    void storeAnswer(const QString& domain, const MxAnswer& answer);

    bool lookupUnderWay(const QString& domain) const;
    void startLookup(const QString& domain);
    void addWaiter(const QString& domain, const QPointer<TSmtpThreadEx>& worker);
    // Ends the lookup, answered or not, and hands back the workers that waited for it.
    Waiters endLookup(const QString& domain);

private:
    static QString keyOf(const QString& domain) { return domain.toLower(); }

    QHash<QString, MxAnswer> m_answers;
    QHash<QString, Waiters> m_lookups;   // a domain is here while one worker's query for it is out
};
