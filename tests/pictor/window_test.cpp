// Window class registration as Win32 checks it, the structure sizes of the Windows ABI, the
// background colour, and the order in which the thread's queue hands out messages.
#include "window.h"

#include <gtest/gtest.h>

namespace {

LRESULT CALLBACK procedure(HWND, UINT, WPARAM, LPARAM) { return 0; }

WNDCLASSEXA windowClass(const char *name) {
    WNDCLASSEXA c{};
    c.cbSize = sizeof(WNDCLASSEXA);
    c.lpfnWndProc = procedure;
    c.lpszClassName = name;
    return c;
}

TEST(WindowClass, StructuresHaveTheWindowsSizes) {
    // The 64-bit Windows sizes (the 32-bit ones are 48, 88 and 76): 48 and 76 are not sizeof.
    static_assert(sizeof(void *) == 8, "the layer is built for 64-bit Linux");
    EXPECT_EQ(sizeof(WNDCLASSEXA), 80u);
    EXPECT_EQ(sizeof(OPENFILENAMEA), 152u);
    EXPECT_EQ(OPENFILENAME_SIZE_VERSION_400A, 136u);
}

TEST(WindowClass, RegistrationChecksTheSizeField) {
    WNDCLASSEXA c = windowClass("SizeChecked");
    c.cbSize = 48; // the 32-bit size
    EXPECT_EQ(RegisterClassExA(&c), 0);
    c.cbSize = sizeof(WNDCLASSEXA);
    EXPECT_NE(RegisterClassExA(&c), 0);
    ASSERT_NE(findWindowClass("SizeChecked"), nullptr);
    EXPECT_EQ(findWindowClass("SizeChecked")->procedure, procedure);
    WNDCLASSEXA other = windowClass("Other");
    EXPECT_EQ(RegisterClassExA(&other), 0); // one class only
    EXPECT_TRUE(UnregisterClassA("SizeChecked", nullptr));
    EXPECT_FALSE(UnregisterClassA("SizeChecked", nullptr));
    EXPECT_EQ(findWindowClass("SizeChecked"), nullptr);
}

TEST(WindowClass, RefusesClassWithoutProcedureOrName) {
    WNDCLASSEXA c = windowClass("NoProcedure");
    c.lpfnWndProc = nullptr;
    EXPECT_EQ(RegisterClassExA(&c), 0);
    WNDCLASSEXA unnamed = windowClass("");
    EXPECT_EQ(RegisterClassExA(&unnamed), 0);
    EXPECT_EQ(RegisterClassExA(nullptr), 0);
}

TEST(WindowClass, ScrollBarBrushIsLightGreyAndOthersPaintWhite) {
    EXPECT_EQ(brushColour(reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_SCROLLBAR + 1))),
              0xC8C8C8u);
    EXPECT_EQ(brushColour(nullptr), 0xFFFFFFu);
}

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
