#include "commands.h"
#include "failure_messages.h"
#include "file_dialog.h"
#include "main_window.h"
#include "picture_state.h"

#include <cerrno>

void openPicture() {
    const ChosenFile chosen = chooseFileName(false);
    if (!chosen.accepted)
        return;

    errno = 0;
    const LoadStatus status = loadPicture(chosen.path.get());
    if (status != LoadStatus::ok) {
        // The picture is still the previous one, so the window needs no repaint.
        const std::string text = openFailureText(chosen.path.get(), status, errno);
        MessageBoxA(mainWindow, text.c_str(), openFailureCaption, MB_OK | MB_ICONERROR);
        return;
    }
    transformPicture();
    InvalidateRect(mainWindow, nullptr, TRUE);
}
