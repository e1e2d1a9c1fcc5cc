// Reading a file dialog's request and handing the chosen path back into a 256-byte buffer.
#include "file_dialog_request.h"

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
    dialog.lpstrFilter = "Image PNM\0*.ppm\0Tout\0*.ppm;*.pnm\0";
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
    const FileDialogRequest open = describeFileDialog(dialog, false);
    EXPECT_EQ(open.title, "Ouverture du fichier ...");
    ASSERT_EQ(open.filters.size(), 2u);
    EXPECT_EQ(open.filters[0].name, "Image PNM");
    EXPECT_EQ(open.filters[0].patterns, std::vector<std::string>{"*.ppm"});
    EXPECT_EQ(open.filters[1].patterns, (std::vector<std::string>{"*.ppm", "*.pnm"}));
    EXPECT_TRUE(open.mustExist);
    EXPECT_FALSE(open.confirmOverwrite);

    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT;
    const FileDialogRequest save = describeFileDialog(dialog, true);
    EXPECT_TRUE(save.confirmOverwrite);
    EXPECT_FALSE(save.mustExist);
    dialog.Flags = OFN_EXPLORER;
    EXPECT_FALSE(describeFileDialog(dialog, true).confirmOverwrite);
}

TEST(FileDialogRequest, NoFilterAndANameWithoutPattern) {
    OPENFILENAMEA dialog{};
    EXPECT_TRUE(describeFileDialog(dialog, false).filters.empty());
    dialog.lpstrFilter = "Image PNM\0\0";
    EXPECT_TRUE(describeFileDialog(dialog, false).filters.empty());
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

TEST(FileDialogRequest, SetsNameAndExtensionOffsets) {
    char buffer[256];
    OPENFILENAMEA dialog{};
    dialog.lpstrFile = buffer;
    dialog.nMaxFile = sizeof buffer;
    ASSERT_TRUE(storeChosenPath(dialog, "/home/a.b/picture.ppm"));
    EXPECT_EQ(dialog.nFileOffset, 10);
    EXPECT_EQ(dialog.nFileExtension, 18);
    ASSERT_TRUE(storeChosenPath(dialog, "/home/a.b/picture")); // no extension: points at the end
    EXPECT_EQ(dialog.nFileExtension, 17);
}

} // namespace
