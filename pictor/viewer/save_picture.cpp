#include "commands.h"
#include "failure_messages.h"
#include "file_dialog.h"
#include "main_window.h"
#include "picture_state.h"

void savePicture() {
    const ChosenFile chosen = chooseFileName(true);
    if (!chosen.accepted)
        return;

    const WriteResult result = writePicture(chosen.path.get());
    if (!result.written) {
        const std::string text = saveFailureText(chosen.path.get(), result.error);
        MessageBoxA(mainWindow, text.c_str(), saveFailureCaption, MB_OK | MB_ICONERROR);
    }
}
