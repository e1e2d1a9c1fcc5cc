#include "commands.h"
#include "failure_messages.h"
#include "file_dialog.h"
#include "main_window.h"
#include "picture_state.h"

void openPicture() {
    const ChosenFile chosen = chooseFileName(false);
    if (!chosen.accepted)
        return;

    const LoadResult result = loadPicture(chosen.path.get());
    if (result.status != LoadStatus::ok) {
        // The picture is still the previous one, so the window needs no repaint.
        const std::string text = openFailureText(chosen.path.get(), result);
        MessageBoxA(mainWindow, text.c_str(), openFailureCaption, MB_OK | MB_ICONERROR);
        return;
    }
    transformPicture();
    InvalidateRect(mainWindow, nullptr, TRUE);
}
