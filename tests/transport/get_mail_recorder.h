// Test owner of a GetMail, as the sending window behaves: it records every info and error, cancels inside
// each error report, ends the run at "Access Granted" (unless abortOnGrant is off) and counts OnDone.
#pragma once

#include "transport/pop3/pop3_client.h"

#include "tests/support/wait_until.h"

#include <QObject>

#include <algorithm>
#include <utility>
#include <vector>

namespace sorvanta::test {

struct GetMailRecorder {
    using Event = std::pair<int, QString>;

    explicit GetMailRecorder(GetMail& mail) : mail(mail)
    {
        QObject::connect(&mail, &GetMail::OnMailInfo, [this](int info, const QString& text) {
            infos.emplace_back(info, text);
            if (info == 10 && abortOnGrant)
                this->mail.Abort();
        });
        QObject::connect(&mail, &GetMail::OnMailError, [this](int error, const QString& text) {
            errors.emplace_back(error, text);
            this->mail.setMail_Action(TGetMailAction::Cancel_GetMail);
        });
        QObject::connect(&mail, &GetMail::OnDone, [this] { ++doneCount; });
    }

    // Waits for the run's OnDone, then a little longer to see that no second one follows.
    bool finishedOnce(int timeoutMs = 5000)
    {
        const bool done = waitUntil([this] { return doneCount > 0; }, timeoutMs);
        pumpEvents(50);
        return done && doneCount == 1;
    }

    bool hasInfo(int code) const
    {
        return std::any_of(infos.begin(), infos.end(), [code](const Event& e) { return e.first == code; });
    }
    bool granted() const { return std::find(infos.begin(), infos.end(), Event(10, "Access Granted")) != infos.end(); }

    GetMail& mail;
    bool abortOnGrant = true;
    std::vector<Event> infos;
    std::vector<Event> errors;
    int doneCount = 0;
};

}  // namespace sorvanta::test
