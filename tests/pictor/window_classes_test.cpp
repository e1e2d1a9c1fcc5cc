// Window class registration as Win32 checks it, the structure sizes of the Windows ABI, and the
// background colour.
#include "file_dialog_request.h"
#include "window_classes.h"

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

TEST(WindowClasses, StructuresHaveTheWindowsSizes) {
    // The 64-bit Windows sizes (the 32-bit ones are 48, 88 and 76): 48 and 76 are not sizeof.
    static_assert(sizeof(void *) == 8, "the layer is built for 64-bit Linux");
    EXPECT_EQ(sizeof(WNDCLASSEXA), 80u);
    EXPECT_EQ(sizeof(OPENFILENAMEA), 152u);
    EXPECT_EQ(OPENFILENAME_SIZE_VERSION_400A, 136u);
}

TEST(WindowClasses, RegistrationChecksTheSizeField) {
    WNDCLASSEXA c = windowClass("SizeChecked");
    c.cbSize = 48; // the 32-bit size
    EXPECT_EQ(RegisterClassExA(&c), 0);
    c.cbSize = sizeof(WNDCLASSEXA);
    EXPECT_NE(RegisterClassExA(&c), 0);
    EXPECT_TRUE(UnregisterClassA("SizeChecked", nullptr));
}

TEST(WindowClasses, NamesAreUniqueWithoutRegardToCase) {
    WNDCLASSEXA c = windowClass("MyClass");
    ASSERT_NE(RegisterClassExA(&c), 0);
    WNDCLASSEXA same = windowClass("MYCLASS");
    EXPECT_EQ(RegisterClassExA(&same), 0);
    ASSERT_NE(findWindowClass("myclass"), nullptr);
    EXPECT_EQ(findWindowClass("myclass")->procedure, procedure);
    EXPECT_TRUE(UnregisterClassA("myClass", nullptr));
    EXPECT_FALSE(UnregisterClassA("MyClass", nullptr));
    EXPECT_EQ(findWindowClass("MyClass"), nullptr);
}

TEST(WindowClasses, RefusesClassWithoutProcedureOrName) {
    WNDCLASSEXA c = windowClass("NoProcedure");
    c.lpfnWndProc = nullptr;
    EXPECT_EQ(RegisterClassExA(&c), 0);
    WNDCLASSEXA unnamed = windowClass("");
    EXPECT_EQ(RegisterClassExA(&unnamed), 0);
    EXPECT_EQ(RegisterClassExA(nullptr), 0);
}

TEST(WindowClasses, ClassWithWindowsCannotBeUnregistered) {
    WNDCLASSEXA c = windowClass("InUse");
    ASSERT_NE(RegisterClassExA(&c), 0);
    findWindowClass("InUse")->windowCount = 1;
    EXPECT_FALSE(UnregisterClassA("InUse", nullptr));
    findWindowClass("InUse")->windowCount = 0;
    EXPECT_TRUE(UnregisterClassA("InUse", nullptr));
}

TEST(WindowClasses, ScrollBarBrushIsLightGreyAndOthersPaintNothing) {
    COLORREF colour = 0;
    ASSERT_TRUE(
        brushColour(reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_SCROLLBAR + 1)), colour));
    EXPECT_EQ(colour, 0xC8C8C8u);
    EXPECT_FALSE(brushColour(nullptr, colour));
}

} // namespace
