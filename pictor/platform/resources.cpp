// The program's module with its resources, and menus loaded from their templates.
#include "resources.h"

#include <algorithm>
#include <cstring>

namespace {

std::vector<ResourceEntry> &moduleResources() {
    static std::vector<ResourceEntry> resources;
    return resources;
}

HMODULE programModule() {
    static char module; // the handle only has to be distinct and non-null
    return reinterpret_cast<HMODULE>(&module);
}

// Reads a template's 16-bit units one by one; past the end every read fails.
class TemplateReader {
  public:
    TemplateReader(const void *data, std::size_t size)
        : bytes_(static_cast<const unsigned char *>(data)), units_(size / 2) {}

    bool unit(WORD &out) {
        if (next_ >= units_)
            return false;
        std::memcpy(&out, bytes_ + 2 * next_++, 2);
        return true;
    }

    // A text ended by a zero unit, from UTF-16 to UTF-8.
    bool text(std::string &out) {
        for (WORD u; unit(u);) {
            if (u == 0)
                return true;
            unsigned long code = u;
            if (u >= 0xD800 && u < 0xDC00) {
                WORD low;
                if (!unit(low) || low < 0xDC00 || low >= 0xE000)
                    return false;
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            } else if (u >= 0xDC00 && u < 0xE000) {
                return false;
            }
            if (code < 0x80) {
                out += static_cast<char>(code);
                continue;
            }
            static const unsigned long lead[] = {0, 0xC0, 0xE0, 0xF0};
            const int extra = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
            out += static_cast<char>(lead[extra] | (code >> (6 * extra)));
            for (int i = extra - 1; i >= 0; --i)
                out += static_cast<char>(0x80 | ((code >> (6 * i)) & 0x3F));
        }
        return false;
    }

  private:
    const unsigned char *bytes_;
    std::size_t units_;
    std::size_t next_ = 0;
};

// The items of one menu, up to the one that carries MF_END; a popup's own follow it.
bool readItems(TemplateReader &reader, HMENU__ &menu, int depth) {
    if (depth > 16)
        return false; // popups nested deeper than any menu bar shows
    for (;;) {
        WORD flags;
        if (!reader.unit(flags))
            return false;
        HMENU__::Item item;
        item.flags = flags & ~MF_END;
        if (!(flags & MF_POPUP) && !reader.unit(item.command))
            return false;
        if (!reader.text(item.text))
            return false;
        if (!(flags & MF_POPUP) && item.command == 0 && item.text.empty())
            item.flags |= MF_SEPARATOR; // as a resource compiler writes MENUITEM SEPARATOR
        if (flags & MF_POPUP) {
            item.popup = std::make_unique<HMENU__>();
            if (!readItems(reader, *item.popup, depth + 1))
                return false;
        }
        menu.items.push_back(std::move(item));
        if (flags & MF_END)
            return true;
    }
}

// The item at a position, or that carries a command (also inside popups).
const HMENU__::Item *findItem(HMENU menu, UINT item, UINT flags) {
    if (menu == nullptr)
        return nullptr;
    if (flags & MF_BYPOSITION)
        return item < menu->items.size() ? &menu->items[item] : nullptr;
    for (const HMENU__::Item &entry : menu->items) {
        if (entry.popup != nullptr) {
            if (const HMENU__::Item *found = findItem(entry.popup.get(), item, flags))
                return found;
        } else if (entry.command == item && !(entry.flags & MF_SEPARATOR)) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace

bool addModuleResources(const ResourceEntry *entries, std::size_t count) {
    moduleResources().insert(moduleResources().end(), entries, entries + count);
    return true;
}

HMENU readMenuTemplate(const void *data, std::size_t size) {
    TemplateReader reader(data, size);
    WORD version, headerSize;
    if (!reader.unit(version) || !reader.unit(headerSize) || version != 0 || headerSize != 0)
        return nullptr; // only the plain template; MENUEX has version 1
    auto menu = std::make_unique<HMENU__>();
    if (!readItems(reader, *menu, 0))
        return nullptr;
    return menu.release();
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    return moduleName == nullptr ? programModule() : nullptr; // the program is the one module
}

HMENU WINAPI LoadMenuA(HINSTANCE instance, LPCSTR menuName) {
    if (instance != programModule() || menuName == nullptr || !IS_INTRESOURCE(menuName))
        return nullptr; // menus are named by identifier
    const auto id = static_cast<WORD>(reinterpret_cast<UINT_PTR>(menuName));
    const std::vector<ResourceEntry> &resources = moduleResources();
    const auto found = std::find_if(resources.begin(), resources.end(), [id](const auto &r) {
        return r.type == static_cast<WORD>(reinterpret_cast<UINT_PTR>(RT_MENU)) && r.id == id;
    });
    return found != resources.end() ? readMenuTemplate(found->data, found->size) : nullptr;
}

BOOL WINAPI DestroyMenu(HMENU menu) {
    if (menu == nullptr)
        return FALSE;
    delete menu;
    return TRUE;
}

int WINAPI GetMenuItemCount(HMENU menu) {
    return menu != nullptr ? static_cast<int>(menu->items.size()) : -1;
}

UINT WINAPI GetMenuItemID(HMENU menu, int position) {
    const HMENU__::Item *item = findItem(menu, static_cast<UINT>(position), MF_BYPOSITION);
    return item == nullptr || item->popup != nullptr ? static_cast<UINT>(-1) : item->command;
}

HMENU WINAPI GetSubMenu(HMENU menu, int position) {
    const HMENU__::Item *item = findItem(menu, static_cast<UINT>(position), MF_BYPOSITION);
    return item != nullptr ? item->popup.get() : nullptr;
}

UINT WINAPI GetMenuState(HMENU menu, UINT item, UINT flags) {
    const HMENU__::Item *found = findItem(menu, item, flags);
    if (found == nullptr)
        return static_cast<UINT>(-1);
    // A popup's state carries its item count in the high byte.
    if (found->popup == nullptr)
        return found->flags;
    return found->flags | static_cast<UINT>(found->popup->items.size() << 8);
}

int WINAPI GetMenuStringA(HMENU menu, UINT item, LPSTR text, int maxCount, UINT flags) {
    const HMENU__::Item *found = findItem(menu, item, flags);
    if (found == nullptr)
        return 0;
    const int length = static_cast<int>(found->text.size());
    if (text == nullptr || maxCount <= 0)
        return length; // the length alone
    const int copied = std::min(length, maxCount - 1);
    std::memcpy(text, found->text.data(), static_cast<std::size_t>(copied));
    text[copied] = '\0';
    return copied;
}
