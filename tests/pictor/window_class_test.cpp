// Window class registration as Win32 checks it, the structure sizes of the Windows ABI, and the
// background colour.
#include "file_dialog_request.h"
#include "window_class.h"

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

} // namespace
