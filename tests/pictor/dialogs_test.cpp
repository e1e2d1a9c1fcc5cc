// Reading a file dialog's request and handing the chosen path back into a 256-byte buffer.
#include "dialogs.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FileDialogRequest, AcceptsTheTwoWindowsSizesOnly) {
    EXPECT_TRUE(dialogSizeAccepted(OPENFILENAME_SIZE_VERSION_400A));
    EXPECT_TRUE(dialogSizeAccepted(sizeof(OPENFILENAMEA)));
    EXPECT_FALSE(dialogSizeAccepted(76)); // the 32-bit value on a 64-bit system
    EXPECT_FALSE(dialogSizeAccepted(0));
}

TEST(FileDialogRequest, ReadsTitleFilterPairsAndFlags) {
    OPENFILENAMEA dialog{};
    dialog.lpstrTitle = "Ouverture du fichier ...";
    dialog.lpstrFilter = "Image PNM\0*.ppm\0Tout\0*\0";
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
    const FileDialogRequest open = describeFileDialog(dialog);
    EXPECT_EQ(open.title, "Ouverture du fichier ...");
    ASSERT_EQ(open.filters.size(), 2u);
    EXPECT_EQ(open.filters[0].name, "Image PNM");
    EXPECT_EQ(open.filters[0].pattern, "*.ppm");
    EXPECT_EQ(open.filters[1].name, "Tout");
    EXPECT_EQ(open.filters[1].pattern, "*");
    EXPECT_TRUE(open.mustExist);
    EXPECT_FALSE(open.confirmOverwrite);

    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT;
    const FileDialogRequest save = describeFileDialog(dialog);
    EXPECT_TRUE(save.confirmOverwrite);
    EXPECT_FALSE(save.mustExist);
    dialog.Flags = OFN_EXPLORER;
    EXPECT_FALSE(describeFileDialog(dialog).confirmOverwrite);
}

TEST(FileDialogRequest, NoFilterAndANameWithoutPattern) {
    OPENFILENAMEA dialog{};
    EXPECT_TRUE(describeFileDialog(dialog).filters.empty());
    dialog.lpstrFilter = "Image PNM\0\0";
    EXPECT_TRUE(describeFileDialog(dialog).filters.empty());
}

TEST(FileDialogFilter, MatchesTheStoredBytesWithoutRegardToCase) {
    const struct {
        const char *patterns, *name;
        bool listed;
    } cases[] = {
        {"*.ppm", "caf\xe9.ppm", true}, // Latin-1: not valid UTF-8
        {"*.ppm", "TESTLAMP.PPM", true}, {"*.ppm", "a.ppm.bak", false}, {"*.ppm", "appm", false},
        {"*.pgm;*.ppm", "x.PpM", true},  {"*.pgm;", "x.ppm", false},    {"?.ppm", "\xe9.ppm", true},
        {"*.*", "README", true},         {"", "a.ppm", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(filterMatches(c.patterns, c.name), c.listed) << c.patterns << " " << c.name;
}

TEST(FileDialogRequest, PathOf255BytesFitsAnd256DoesNot) {
    char buffer[256] = "untouched";
    OPENFILENAMEA dialog{};
    dialog.lpstrFile = buffer;
    dialog.nMaxFile = sizeof buffer;

    const std::string tooLong = "/" + std::string(255, 'a');
    EXPECT_FALSE(storeChosenPath(dialog, tooLong));
    EXPECT_STREQ(buffer, "untouched");

    const std::string longest = "/tmp/" + std::string(250, 'b');
    ASSERT_EQ(longest.size(), 255u);
    ASSERT_TRUE(storeChosenPath(dialog, longest));
    EXPECT_EQ(std::string(buffer), longest);
}

} // namespace
