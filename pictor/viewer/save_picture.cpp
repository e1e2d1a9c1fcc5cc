#include "commands.h"
#include "failure_messages.h"
#include "file_dialog.h"
#include "main_window.h"
#include "picture_state.h"

#include <cerrno>

void savePicture() {
    const ChosenFile chosen = chooseFileName(true);
    if (!chosen.accepted)
        return;

    errno = 0;
    if (!writePicture(chosen.path.get())) {
        const std::string text = saveFailureText(chosen.path.get(), errno);
        MessageBoxA(mainWindow, text.c_str(), saveFailureCaption, MB_OK | MB_ICONERROR);
    }
}
