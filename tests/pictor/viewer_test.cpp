// The viewer's own code against a recording stand-in for the window system: what it registers
// and creates, how its loop and window procedure dispatch, what it paints, what it asks the
// file dialogs, and how Open and Save as report failures.
#include "fake_platform.h"
#include "picture_files.h"
#include "viewer/viewer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

namespace {

class Viewer : public PictureTest {
  protected:
    void SetUp() override {
        PictureTest::SetUp();
        resetFake();
        mainWindow = fakeWindow();
    }

    static MSG command(WPARAM id) {
        MSG message{};
        message.hwnd = fakeWindow();
        message.message = WM_COMMAND;
        message.wParam = id;
        return message;
    }

    static bool called(const std::string &call) {
        const auto &calls = fake().calls;
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }

    static HINSTANCE instance() { return reinterpret_cast<HINSTANCE>(0x400000); }
};

TEST_F(Viewer, RegistersTheClassWithItsSizeStylesBrushAndMenu) {
    EXPECT_EQ(WinMain(instance(), nullptr, nullptr, 0), 0 + 99); // quits after idle polls
    ASSERT_EQ(fake().registered.size(), 1u);
    const WNDCLASSEXA &c = fake().registered[0];
    const auto value = [](auto field) { return reinterpret_cast<UINT_PTR>(field); };
    const std::tuple<const char *, UINT_PTR, UINT_PTR> fields[] = {
        {"cbSize: Win32 refuses another size", c.cbSize, sizeof(WNDCLASSEXA)},
        {"style: CS_HREDRAW | CS_VREDRAW, repaint on resize", c.style, 3},
        {"hInstance", value(c.hInstance), value(instance())},
        {"hCursor: the arrow", value(c.hCursor), 0x32512},
        {"hbrBackground: COLOR_SCROLLBAR + 1", value(c.hbrBackground), 1},
        {"lpszMenuName: MENU_MAIN", value(c.lpszMenuName), 101},
        {"lpfnWndProc", value(c.lpfnWndProc), value(windowProcedure)},
    };
    for (const auto &[field, actual, expected] : fields)
        EXPECT_EQ(actual, expected) << field;
    EXPECT_STREQ(c.lpszClassName, "MyClass");
}

TEST_F(Viewer, CreatesTheWindowShowsItAndUnregistersAtTheEnd) {
    fake().waiting.push_back(command(40009)); // "Quitter"
    EXPECT_EQ(WinMain(instance(), nullptr, nullptr, 0), 0);
    EXPECT_EQ(fake().createdClass, "MyClass");
    EXPECT_EQ(fake().createdTitle, "Pictor");
    EXPECT_EQ(fake().createdStyle, 0x10CF0000u);
    EXPECT_EQ(fake().createdX, 100);
    EXPECT_EQ(fake().createdY, 100);
    EXPECT_EQ(fake().createdWidth, 500);
    EXPECT_EQ(fake().createdHeight, 500);
    EXPECT_EQ(fake().createdMenu, nullptr);
    EXPECT_EQ(mainWindow, fakeWindow());
    EXPECT_TRUE(called("show 10"));
    EXPECT_TRUE(called("update"));
    EXPECT_EQ(fake().unregistered, std::vector<std::string>{"MyClass"});
}

TEST_F(Viewer, FailedRegistrationOrCreationEndsWithOne) {
    fake().registrationSucceeds = false;
    EXPECT_EQ(WinMain(instance(), nullptr, nullptr, 0), 1);
    EXPECT_EQ(fake().createdClass, "");

    resetFake();
    fake().creationSucceeds = false;
    EXPECT_EQ(WinMain(instance(), nullptr, nullptr, 0), 1);
    EXPECT_EQ(mainWindow, nullptr);
    EXPECT_TRUE(fake().unregistered.empty()); // the class stays registered
}

TEST_F(Viewer, LoopWaitsWhenIdleAndTranslatesAndDispatchesEveryMessageWmQuitIncluded) {
    MSG destroy{};
    destroy.hwnd = fakeWindow();
    destroy.message = WM_DESTROY;
    fake().arriving.push_back(destroy);
    EXPECT_EQ(WinMain(instance(), nullptr, nullptr, 0), 0);
    const std::vector<std::string> expected = {"show 10",      "update",     "wait",
                                               "translate 2",  "dispatch 2", "quit 0",
                                               "translate 18", "dispatch 18"};
    EXPECT_EQ(fake().calls, expected);
}

TEST_F(Viewer, WindowProcedureDispatchesCommandsAndLeavesTheRestToTheDefault) {
    EXPECT_EQ(windowProcedure(fakeWindow(), WM_COMMAND, 40009, 0), 0);
    EXPECT_TRUE(fake().quitPosted);

    resetFake();
    EXPECT_EQ(windowProcedure(fakeWindow(), WM_COMMAND, 40011, 0), 0);
    ASSERT_EQ(fake().boxes.size(), 1u);

    resetFake();
    // The whole wParam is compared: a high word other than 0 is no menu command.
    EXPECT_EQ(windowProcedure(fakeWindow(), WM_COMMAND, 0x10000 | 40009, 0), 0);
    EXPECT_EQ(windowProcedure(fakeWindow(), WM_COMMAND, 40008, 0), 0);
    EXPECT_FALSE(fake().quitPosted);
    EXPECT_TRUE(fake().calls.empty());

    EXPECT_EQ(windowProcedure(fakeWindow(), WM_CLOSE, 0, 0), 42);
    EXPECT_TRUE(called("default 16"));
    EXPECT_EQ(windowProcedure(fakeWindow(), WM_QUIT, 0, 0), 0);
    EXPECT_TRUE(called("quit 0"));
}

TEST_F(Viewer, PaintSetsEveryPixelRowByRowWithRedInTheLowByte) {
    fake().chosenPath = file("small.ppm", patternFile(3, 2));
    openPicture();
    resetFake();
    paintPicture(fakeWindow());
    EXPECT_EQ(fake().beginPaints, 1);
    EXPECT_EQ(fake().endPaints, 1);
    ASSERT_EQ(fake().pixels.size(), 6u);
    int k = 0;
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 3; ++c, ++k) {
            EXPECT_EQ(fake().pixels[k].x, c);
            EXPECT_EQ(fake().pixels[k].y, r);
            const COLORREF expected =
                patternByte(r, c, 0) + 256u * patternByte(r, c, 1) + 65536u * patternByte(r, c, 2);
            EXPECT_EQ(fake().pixels[k].colour, expected) << "row " << r << " column " << c;
        }
    }
}

TEST_F(Viewer, PaintBeforeAnyOpenSetsNoPixel) {
    paintPicture(fakeWindow());
    EXPECT_EQ(fake().beginPaints, 1);
    EXPECT_EQ(fake().endPaints, 1);
    EXPECT_TRUE(fake().pixels.empty());
}

TEST_F(Viewer, FileDialogsAskWithTheWindowsStructureSizeFilterAndFlags) {
    chooseFileName(false);
    chooseFileName(true);
    ASSERT_EQ(fake().fileDialogs.size(), 2u);
    for (const auto &dialog : fake().fileDialogs) {
        EXPECT_EQ(dialog.request.lStructSize, OPENFILENAME_SIZE_VERSION_400A);
        EXPECT_EQ(dialog.request.hwndOwner, fakeWindow());
        EXPECT_EQ(dialog.filter, std::string("Image PNM\0*.ppm\0\0", 17));
        EXPECT_EQ(dialog.request.nFilterIndex, 0u);
        EXPECT_EQ(dialog.request.nMaxFile, 256u);
        EXPECT_EQ(dialog.request.lpstrDefExt, nullptr);
        EXPECT_EQ(dialog.request.lpstrInitialDir, nullptr);
    }
    EXPECT_FALSE(fake().fileDialogs[0].forSaving);
    EXPECT_EQ(fake().fileDialogs[0].title, "Ouverture du fichier ...");
    EXPECT_EQ(fake().fileDialogs[0].request.Flags, 0x81000u);
    EXPECT_TRUE(fake().fileDialogs[1].forSaving);
    EXPECT_EQ(fake().fileDialogs[1].title, "Enregistrement du fichier ...");
    EXPECT_EQ(fake().fileDialogs[1].request.Flags, 0x80002u);
}

TEST_F(Viewer, ChosenPathComesBackInItsBuffer) {
    fake().chosenPath = "/tmp/a.ppm";
    const ChosenFile chosen = chooseFileName(false);
    EXPECT_TRUE(chosen.accepted);
    EXPECT_STREQ(chosen.path.get(), "/tmp/a.ppm");
    fake().chosenPath.clear();
    EXPECT_FALSE(chooseFileName(true).accepted);
}

TEST_F(Viewer, OpenLoadsTransformsAndRequestsAnErasedRepaint) {
    fake().chosenPath = file("one.ppm", patternFile(4, 5));
    openPicture();
    EXPECT_EQ(picture.width, 4);
    EXPECT_EQ(picture.height, 5);
    EXPECT_EQ(picture.transformedBlue[4][3], patternByte(4, 3, 2));
    ASSERT_EQ(fake().invalidations.size(), 1u);
    EXPECT_EQ(fake().invalidations[0].window, fakeWindow());
    EXPECT_TRUE(fake().invalidations[0].wholeArea);
    EXPECT_TRUE(fake().invalidations[0].erase);
    EXPECT_TRUE(fake().boxes.empty());
}

TEST_F(Viewer, CancelledOpenChangesNothing) {
    fake().chosenPath = file("one.ppm", patternFile(4, 5));
    openPicture();
    resetFake();
    openPicture();
    EXPECT_EQ(picture.width, 4);
    EXPECT_TRUE(fake().invalidations.empty());
    EXPECT_TRUE(fake().boxes.empty());
}

TEST_F(Viewer, OpenOfAMissingFileShowsAnErrorAndKeepsThePicture) {
    fake().chosenPath = file("one.ppm", patternFile(4, 5));
    openPicture();
    resetFake();
    fake().chosenPath = (dir / "gone.ppm").string();
    openPicture();
    ASSERT_EQ(fake().boxes.size(), 1u);
    const auto &box = fake().boxes[0];
    EXPECT_EQ(box.owner, fakeWindow());
    EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(box.caption, "Ouverture impossible");
    EXPECT_EQ(box.text, "Impossible d'ouvrir le fichier\n" + fake().chosenPath +
                            "\n\nLe fichier ou un dossier du chemin n'existe pas.\n"
                            "L'image affichée n'a pas changé.");
    EXPECT_TRUE(fake().invalidations.empty());
    EXPECT_EQ(picture.width, 4);
    EXPECT_EQ(picture.transformedRed[1][2], patternByte(1, 2, 0));
}

TEST_F(Viewer, OpenOfACutHeaderOrANegativeSizeShowsWhy) {
    fake().chosenPath = file("cut.ppm", "P6\n#Kelvo\n45");
    openPicture();
    fake().chosenPath = file("negative.ppm", "P6\n#Kelvo\n-45 450\n255\n");
    openPicture();
    ASSERT_EQ(fake().boxes.size(), 2u);
    EXPECT_NE(fake().boxes[0].text.find("se termine avant la fin de l'en-tête"), std::string::npos);
    EXPECT_NE(fake().boxes[0].text.find("cut.ppm"), std::string::npos);
    EXPECT_NE(fake().boxes[1].text.find("taille négative"), std::string::npos);
    EXPECT_TRUE(fake().invalidations.empty());
    EXPECT_EQ(picture.width, 0);
}

TEST_F(Viewer, SaveWritesTheChosenPathWithoutAnyMessage) {
    fake().chosenPath = file("one.ppm", patternFile(4, 5));
    openPicture();
    fake().chosenPath = (dir / "saved.ppm").string();
    savePicture();
    EXPECT_TRUE(fake().boxes.empty());
    EXPECT_EQ(readFile(dir / "saved.ppm").substr(0, 3), "P6\n");
    EXPECT_EQ(fake().invalidations.size(), 1u); // from the Open only: saving repaints nothing
}

TEST_F(Viewer, SaveThatCannotCreateTheFileShowsTheFileAndTheReason) {
    fake().chosenPath = (dir / "no-such-folder" / "saved.ppm").string();
    savePicture();
    ASSERT_EQ(fake().boxes.size(), 1u);
    EXPECT_EQ(fake().boxes[0].caption, "Enregistrement impossible");
    EXPECT_EQ(fake().boxes[0].type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(fake().boxes[0].text, "Impossible d'enregistrer l'image dans le fichier\n" +
                                        fake().chosenPath +
                                        "\n\nLe fichier ou un dossier du chemin n'existe pas.\n"
                                        "L'image n'a pas été enregistrée.");
}

TEST_F(Viewer, SaveThatCannotWriteReportsTheFullDisk) {
    fake().chosenPath = file("one.ppm", patternFile(4, 5));
    openPicture();
    fake().chosenPath = "/dev/full";
    savePicture();
    ASSERT_EQ(fake().boxes.size(), 1u);
    EXPECT_NE(fake().boxes[0].text.find("Il n'y a plus de place sur le disque."), std::string::npos)
        << fake().boxes[0].text;
}

TEST_F(Viewer, PathTooLongForTheBufferIsToldInBytes) {
    for (int i = 0; i < 128; ++i)
        fake().chosenPath += "\xc3\xa9"; // 128 letters "é", 256 bytes
    savePicture();
    ASSERT_EQ(fake().boxes.size(), 1u);
    EXPECT_EQ(fake().boxes[0].caption, "Enregistrement impossible");
    EXPECT_NE(fake().boxes[0].text.find("il doit tenir en 255 octets ; une lettre accentuée peut "
                                        "en prendre deux.\nL'image n'a pas été enregistrée."),
              std::string::npos)
        << fake().boxes[0].text;
}

TEST_F(Viewer, AboutShowsTheInformationBox) {
    showAbout();
    ASSERT_EQ(fake().boxes.size(), 1u);
    EXPECT_EQ(fake().boxes[0].owner, fakeWindow());
    EXPECT_EQ(fake().boxes[0].text, "Visualisation d'une image au format ppm \n");
    EXPECT_EQ(fake().boxes[0].caption, "About");
    EXPECT_EQ(fake().boxes[0].type, 0x40u);
}

} // namespace
