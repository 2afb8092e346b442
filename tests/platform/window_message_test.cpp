// Window messages: posted ones arrive in order after the caller returns; sent ones return the handler's result.

#include "platform/window_message.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>

#include <vector>

namespace {

class Receiver : public QObject {
public:
    std::vector<int> seen;
    bool event(QEvent* e) override
    {
        if (auto* m = WindowMessage::from(e)) {
            seen.push_back(m->msg);
            m->result = m->wParam + m->lParam;
            return true;
        }
        return QObject::event(e);
    }
};

TEST(WindowMessageTest, PostedMessagesArriveInOrderLater)
{
    Receiver r;
    WindowMessage::post(&r, WM_USER + 2);
    WindowMessage::post(&r, WM_USER + 20);
    EXPECT_TRUE(r.seen.empty());
    QCoreApplication::sendPostedEvents(&r);
    EXPECT_EQ(r.seen, (std::vector<int>{WM_USER + 2, WM_USER + 20}));
}

TEST(WindowMessageTest, SentMessageReturnsResultAtOnce)
{
    Receiver r;
    EXPECT_EQ(WindowMessage::send(&r, WM_USER + 19, 3, 4), 7);
    EXPECT_EQ(WindowMessage::send(nullptr, WM_USER + 19, 3, 4), 0);
    EXPECT_FALSE(WindowMessage::post(nullptr, WM_USER));
}

}  // namespace
