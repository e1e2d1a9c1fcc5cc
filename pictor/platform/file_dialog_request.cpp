#include "file_dialog_request.h"

#include <cstring>

bool dialogSizeAccepted(DWORD structSize) {
    return structSize == sizeof(OPENFILENAMEA) || structSize == OPENFILENAME_SIZE_VERSION_400A;
}

namespace {

std::vector<std::string> splitPatterns(const std::string &list) {
    std::vector<std::string> patterns;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        if (end > start)
            patterns.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return patterns;
}

} // namespace

FileDialogRequest describeFileDialog(const OPENFILENAMEA &dialog, bool forSaving) {
    FileDialogRequest request;
    if (dialog.lpstrTitle != nullptr)
        request.title = dialog.lpstrTitle;
    else
        request.title = forSaving ? "Enregistrer sous" : "Ouvrir";

    for (const char *p = dialog.lpstrFilter; p != nullptr && *p != '\0';) {
        FileFilter filter;
        filter.name = p;
        p += filter.name.size() + 1;
        if (*p == '\0')
            break; // a name without its pattern ends the list
        const std::string patterns = p;
        p += patterns.size() + 1;
        filter.patterns = splitPatterns(patterns);
        request.filters.push_back(filter);
    }
    request.mustExist = !forSaving || (dialog.Flags & OFN_FILEMUSTEXIST) != 0;
    request.confirmOverwrite = forSaving && (dialog.Flags & OFN_OVERWRITEPROMPT) != 0;
    return request;
}

bool storeChosenPath(OPENFILENAMEA &dialog, const std::string &path) {
    if (dialog.lpstrFile == nullptr || path.size() + 1 > dialog.nMaxFile)
        return false;
    std::memcpy(dialog.lpstrFile, path.c_str(), path.size() + 1);

    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    dialog.nFileOffset = static_cast<WORD>(nameStart);
    dialog.nFileExtension =
        static_cast<WORD>(dot == std::string::npos || dot < nameStart ? path.size() : dot + 1);
    return true;
}
