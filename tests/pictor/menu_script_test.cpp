// The menu read from the program's own resource script, and scripts it must refuse.
#include "menu_script.h"
#include "resource.h"

#include <gtest/gtest.h>

#include "support/read_file.h"

namespace {

std::string sourceFile(const std::string &name) {
    return readFile(std::string(PICTOR_SOURCE_DIR) + "/" + name);
}

std::vector<MenuResource> programMenus() {
    return readMenuScript(sourceFile("pictor.rc"), {{"resource.h", sourceFile("resource.h")}});
}

TEST(MenuScript, ProgramMenuHasTheFrenchItemsAndIdentifiers) {
    const std::vector<MenuResource> menus = programMenus();
    ASSERT_EQ(menus.size(), 1u);
    const MenuResource &menu = menus[0];
    EXPECT_EQ(menu.id, 101);
    EXPECT_EQ(menu.language, 1036); // French (France)
    ASSERT_EQ(menu.entries.size(), 2u);

    const MenuEntry &file = menu.entries[0];
    EXPECT_EQ(file.kind, MenuEntry::Kind::popup);
    EXPECT_EQ(file.text, "Fichier");
    ASSERT_EQ(file.children.size(), 4u);
    EXPECT_EQ(file.children[0].text, "Ouvrir");
    EXPECT_EQ(file.children[0].id, 40006);
    EXPECT_EQ(file.children[1].text, "Enregistrer sous");
    EXPECT_EQ(file.children[1].id, 40007);
    EXPECT_EQ(file.children[2].kind, MenuEntry::Kind::separator);
    EXPECT_EQ(file.children[3].text, "Quitter");
    EXPECT_EQ(file.children[3].id, 40009);

    const MenuEntry &about = menu.entries[1];
    EXPECT_EQ(about.text, "About");
    ASSERT_EQ(about.children.size(), 1u);
    EXPECT_EQ(about.children[0].text, "About");
    EXPECT_EQ(about.children[0].id, 40011);
}

TEST(MenuScript, IdentifiersAreTheOnesTheViewerDispatches) {
    const MenuResource menu = programMenus().at(0);
    EXPECT_EQ(menu.id, MENU_MAIN);
    EXPECT_EQ(menu.entries[0].children[0].id, CMD_OPEN);
    EXPECT_EQ(menu.entries[0].children[1].id, CMD_SAVE_AS);
    EXPECT_EQ(menu.entries[0].children[3].id, CMD_QUIT);
    EXPECT_EQ(menu.entries[1].children[0].id, CMD_ABOUT);
}

TEST(MenuScript, ReadsBracesCommentsHexNumbersAndDoubledQuotes) {
    const std::string script = "/* two\nlines */ 7 MENU { // a comment\n"
                               "  MENUITEM \"Say \"\"hi\"\"\", 0x10 }\n";
    const std::vector<MenuResource> menus = readMenuScript(script, {});
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].language, 0);
    ASSERT_EQ(menus[0].entries.size(), 1u);
    EXPECT_EQ(menus[0].entries[0].text, "Say \"hi\"");
    EXPECT_EQ(menus[0].entries[0].id, 16);
}

TEST(MenuScript, RefusesWhatItCannotRead) {
    const IncludedFiles none;
    EXPECT_THROW(readMenuScript("1 MENU BEGIN MENUITEM \"A\", UNDEFINED END", none),
                 MenuScriptError);
    EXPECT_THROW(readMenuScript("1 MENU BEGIN MENUITEM \"A, 2 END", none), MenuScriptError);
    EXPECT_THROW(readMenuScript("1 MENU BEGIN POPUP \"A\" BEGIN END", none), MenuScriptError);
    EXPECT_THROW(readMenuScript("#include \"missing.h\"\n", none), MenuScriptError);
    EXPECT_THROW(readMenuScript("1 ICON \"x.ico\"", none), MenuScriptError);
    EXPECT_THROW(readMenuScript("#if 0\n", none), MenuScriptError);
}

TEST(MenuScript, ErrorNamesTheLine) {
    try {
        readMenuScript("1 MENU\nBEGIN\n  MENUITEM \"A\" 2\nEND\n", {});
        FAIL() << "no error";
    } catch (const MenuScriptError &error) {
        EXPECT_NE(std::string(error.what()).find("line 3"), std::string::npos) << error.what();
    }
}

} // namespace
