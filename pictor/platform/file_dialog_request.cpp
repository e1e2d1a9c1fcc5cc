#include "file_dialog_request.h"

#include <cstring>

bool dialogSizeAccepted(DWORD structSize) {
    return structSize == sizeof(OPENFILENAMEA) || structSize == OPENFILENAME_SIZE_VERSION_400A;
}

FileDialogRequest describeFileDialog(const OPENFILENAMEA &dialog) {
    FileDialogRequest request;
    if (dialog.lpstrTitle != nullptr)
        request.title = dialog.lpstrTitle;
    for (const char *p = dialog.lpstrFilter; p != nullptr && *p != '\0';) {
        FileFilter filter;
        filter.name = p;
        p += filter.name.size() + 1;
        if (*p == '\0')
            break; // a name without its pattern ends the list
        filter.pattern = p;
        p += filter.pattern.size() + 1;
        request.filters.push_back(filter);
    }
    request.mustExist = (dialog.Flags & OFN_FILEMUSTEXIST) != 0;
    request.confirmOverwrite = (dialog.Flags & OFN_OVERWRITEPROMPT) != 0;
    return request;
}

bool storeChosenPath(OPENFILENAMEA &dialog, const std::string &path) {
    if (dialog.lpstrFile == nullptr || path.size() + 1 > dialog.nMaxFile)
        return false;
    std::memcpy(dialog.lpstrFile, path.c_str(), path.size() + 1);
    return true;
}
