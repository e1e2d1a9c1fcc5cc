// The order in which the layer's queue hands out messages.
#include "message_queue.h"

#include <gtest/gtest.h>

namespace {

HWND windowA() { return reinterpret_cast<HWND>(0x1000); }
HWND windowB() { return reinterpret_cast<HWND>(0x2000); }

TEST(MessageQueue, EmptyQueueGivesNothing) {
    MessageQueue queue;
    MSG message{};
    EXPECT_FALSE(queue.waiting());
    EXPECT_FALSE(queue.take(message, PM_REMOVE));
}

TEST(MessageQueue, WaitingWhileAPostedMessageTheQuitOrAPaintNeedIsThere) {
    MessageQueue queue;
    MSG message{};
    queue.post(windowA(), WM_COMMAND, 40006, 0);
    EXPECT_TRUE(queue.waiting());
    queue.take(message, PM_REMOVE);
    EXPECT_FALSE(queue.waiting());
    queue.postQuit(0);
    EXPECT_TRUE(queue.waiting());
    queue.take(message, PM_REMOVE);
    EXPECT_FALSE(queue.waiting());
    queue.invalidate(windowA());
    EXPECT_TRUE(queue.waiting());
    queue.validate(windowA());
    EXPECT_FALSE(queue.waiting());
}

TEST(MessageQueue, PostedMessagesComeFirstInOrderThenQuitThenPaint) {
    MessageQueue queue;
    queue.invalidate(windowA());
    queue.postQuit(7);
    queue.post(windowA(), WM_COMMAND, 40006, 0);
    queue.post(windowA(), WM_COMMAND, 40011, 0);

    MSG message{};
    ASSERT_TRUE(queue.take(message, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(message.wParam, 40006u);
    ASSERT_TRUE(queue.take(message, PM_REMOVE));
    EXPECT_EQ(message.wParam, 40011u);
    ASSERT_TRUE(queue.take(message, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.hwnd, nullptr);
    EXPECT_EQ(message.wParam, 7u);
    ASSERT_TRUE(queue.take(message, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_PAINT));
    EXPECT_EQ(message.hwnd, windowA());
}

TEST(MessageQueue, PaintComesUntilValidatedAndOnceForTwoInvalidations) {
    MessageQueue queue;
    queue.invalidate(windowA());
    queue.invalidate(windowA());
    MSG message{};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(queue.take(message, PM_REMOVE));
        EXPECT_EQ(message.message, static_cast<UINT>(WM_PAINT));
    }
    queue.validate(windowA());
    EXPECT_FALSE(queue.take(message, PM_REMOVE));
}

TEST(MessageQueue, PaintsOfTwoWindowsComeInTurn) {
    MessageQueue queue;
    queue.invalidate(windowA());
    queue.invalidate(windowB());
    MSG message{};
    ASSERT_TRUE(queue.take(message, PM_REMOVE));
    EXPECT_EQ(message.hwnd, windowA());
    queue.validate(windowA());
    ASSERT_TRUE(queue.take(message, PM_REMOVE));
    EXPECT_EQ(message.hwnd, windowB());
}

TEST(MessageQueue, NoRemoveLeavesTheMessageAndQuitIsTakenOnce) {
    MessageQueue queue;
    queue.post(windowA(), WM_CLOSE, 0, 0);
    MSG message{};
    ASSERT_TRUE(queue.take(message, PM_NOREMOVE));
    ASSERT_TRUE(queue.take(message, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_CLOSE));

    queue.postQuit(0);
    ASSERT_TRUE(queue.take(message, PM_NOREMOVE));
    ASSERT_TRUE(queue.take(message, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_FALSE(queue.take(message, PM_REMOVE));
}

TEST(MessageQueue, ForgottenWindowLosesItsMessagesAndPaint) {
    MessageQueue queue;
    queue.post(windowA(), WM_COMMAND, 1, 0);
    queue.post(windowB(), WM_COMMAND, 2, 0);
    queue.invalidate(windowA());
    queue.forget(windowA());
    MSG message{};
    ASSERT_TRUE(queue.take(message, PM_REMOVE));
    EXPECT_EQ(message.hwnd, windowB());
    EXPECT_FALSE(queue.take(message, PM_REMOVE));
}

} // namespace
