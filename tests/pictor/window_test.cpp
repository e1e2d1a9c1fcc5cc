// Window class registration as Win32 checks it, the structure sizes of the Windows ABI, the
// background colour, the order in which the thread's queue hands out messages, the key messages,
// and menus loaded from resources compiled from menus.rc.
#include "window.h"

#include <gtest/gtest.h>

#include <string>

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

// A menu as one line: items apart by "|", a popup's own in braces, a command after ";".
std::string listed(HMENU menu) {
    std::string out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64];
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        out += i > 0 ? "|" : "";
        if (HMENU popup = GetSubMenu(menu, i))
            out += std::string(text) + "{" + listed(popup) + "}";
        else if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR)
            out += "-";
        else
            out += std::string(text) + ";" + std::to_string(GetMenuItemID(menu, i));
    }
    return out;
}

TEST(Menu, LoadedFromTheModulesResourcesByIdentifier) {
    const struct {
        WORD id;
        const char *menu; // empty: no such menu
    } cases[] = {
        {201, "\xc3\x89"
              "dition{Copier \"tout\";7|-|Zoom{50 %;40006}}|\xe2\x82\xac seul;65535"},
        {202, "\xf0\x9d\x84\x9e;1"}, // beyond 16 bits: a surrogate pair in the template
        {203, ""},
    };
    for (const auto &c : cases) {
        const HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(c.id));
        EXPECT_EQ(listed(menu), c.menu) << c.id;
        DestroyMenu(menu);
    }
    EXPECT_EQ(LoadMenuA(nullptr, MAKEINTRESOURCEA(201)), nullptr); // not the program's module
}

TEST(Menu, TemplateCutShortOfAnotherVersionOrWithALoneSurrogateIsRefused) {
    // One popup "P" holding the item "Q", 9: header, popup (flags, text), item (flags, id, text).
    char16_t units[] = {0, 0, MF_POPUP | MF_END, u'P', 0, MF_END, 9, u'Q', 0};
    for (std::size_t size = 0; size < sizeof units; size += 2)
        EXPECT_EQ(readMenuTemplate(units, size), nullptr) << size << " bytes";
    const HMENU menu = readMenuTemplate(units, sizeof units);
    EXPECT_EQ(listed(menu), "P{Q;9}");
    DestroyMenu(menu);
    units[7] = 0xDC00; // a low surrogate alone
    EXPECT_EQ(readMenuTemplate(units, sizeof units), nullptr);
    units[0] = 1; // MENUEX
    units[7] = u'Q';
    EXPECT_EQ(readMenuTemplate(units, sizeof units), nullptr);
}

TEST(KeyMessage, AltAndF10AreSystemKeysWithWin32sFlags) {
    const struct {
        GdkEventType type;
        guint keyval, state;
        guint16 keycode; // the scan code plus 8: Alt 0x38, A 0x1E, F10 0x44
        bool wasDown;
        UINT message;
        WPARAM key;
        unsigned long lParam; // repeat count, scan code, Alt down, previous state, transition
    } cases[] = {
        {GDK_KEY_PRESS, GDK_KEY_Alt_L, 0, 0x40, false, WM_SYSKEYDOWN, VK_MENU, 0x20380001},
        {GDK_KEY_PRESS, GDK_KEY_Alt_L, GDK_MOD1_MASK, 0x40, true, WM_SYSKEYDOWN, VK_MENU,
         0x60380001},
        {GDK_KEY_RELEASE, GDK_KEY_Alt_L, GDK_MOD1_MASK, 0x40, true, WM_SYSKEYUP, VK_MENU,
         0xE0380001},
        {GDK_KEY_PRESS, GDK_KEY_a, GDK_MOD1_MASK, 0x26, false, WM_SYSKEYDOWN, 'A', 0x201E0001},
        {GDK_KEY_RELEASE, GDK_KEY_a, GDK_SHIFT_MASK, 0x26, true, WM_KEYUP, 'A', 0xC01E0001},
        {GDK_KEY_PRESS, GDK_KEY_F10, 0, 0x4C, false, WM_SYSKEYDOWN, VK_F10, 0x00440001},
        {GDK_KEY_PRESS, GDK_KEY_eacute, 0, 0x26, false, WM_KEYDOWN, 0xFF, 0x001E0001},
    };
    for (const auto &c : cases) {
        GdkEventKey key{};
        key.type = c.type;
        key.keyval = c.keyval;
        key.state = c.state;
        key.hardware_keycode = c.keycode;
        const MSG message = keyMessage(windowA(), key, c.wasDown);
        EXPECT_EQ(message.hwnd, windowA());
        EXPECT_EQ(message.message, c.message) << c.keyval;
        EXPECT_EQ(message.wParam, c.key) << c.keyval;
        EXPECT_EQ(message.lParam, static_cast<LPARAM>(c.lParam)) << std::hex << message.lParam;
    }
}

} // namespace
