#include "file_dialog.h"

#include "failure_messages.h"
#include "main_window.h"

ChosenFile chooseFileName(bool forSaving) {
    ChosenFile chosen;
    chosen.path = std::make_unique<char[]>(pathBufferSize); // zeroed: the name starts empty

    OPENFILENAMEA dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = mainWindow;
    dialog.lpstrFilter = "Image PNM\0*.ppm\0"; // the literal's own zero ends the list
    dialog.nFilterIndex = 0;
    dialog.lpstrFile = chosen.path.get();
    dialog.nMaxFile = pathBufferSize;
    if (forSaving) {
        dialog.lpstrTitle = "Enregistrement du fichier ...";
        dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT;
        chosen.accepted = GetSaveFileNameA(&dialog) != FALSE;
    } else {
        dialog.lpstrTitle = "Ouverture du fichier ...";
        dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
        chosen.accepted = GetOpenFileNameA(&dialog) != FALSE;
    }
    // A cancel says nothing, but a path too long for the buffer would otherwise look like one.
    if (!chosen.accepted && CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) {
        const std::string text = pathTooLongText(forSaving);
        MessageBoxA(mainWindow, text.c_str(), forSaving ? saveFailureCaption : openFailureCaption,
                    MB_OK | MB_ICONERROR);
    }
    return chosen;
}
