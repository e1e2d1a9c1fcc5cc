// The commands that touch files: Open and Save as, with their file dialog and the texts that
// report their failures in the viewer's French.
#include "picture_state.h"
#include "viewer.h"

#include <cerrno>
#include <string>

namespace {

// The captions of the boxes that report a failed Open or Save as.
const char *const openFailureCaption = "Ouverture impossible";
const char *const saveFailureCaption = "Enregistrement impossible";

// Why a file could not be opened, created or written, from the system's error number.
std::string systemReason(int errorNumber) {
    switch (errorNumber) {
    case ENOENT:
        return "Le fichier ou un dossier du chemin n'existe pas.";
    case EACCES:
    case EPERM:
        return "L'accès au fichier est refusé.";
    case EISDIR:
        return "Ce chemin est celui d'un dossier.";
    case ENOTDIR:
        return "Un élément du chemin n'est pas un dossier.";
    case ENOSPC:
        return "Il n'y a plus de place sur le disque.";
    case EROFS:
        return "Le disque est en lecture seule.";
    case ENAMETOOLONG:
        return "Le nom du fichier est trop long.";
    case EMFILE:
    case ENFILE:
        return "Trop de fichiers sont déjà ouverts.";
    case EFBIG:
        return "Le fichier serait trop grand.";
    case ENXIO:
        return "Aucun programme ne lit ce tube, ou le périphérique est absent.";
    case EIO:
        return "Erreur d'entrée-sortie sur le disque.";
    case ENOMEM:
        return "Mémoire insuffisante pour traiter cette image.";
    case EBUSY:
        return "Le fichier est occupé par le système.";
    case ELOOP:
        return "Le chemin passe par trop de liens symboliques.";
#ifdef EDQUOT
    case EDQUOT:
        return "Le quota de disque est atteint.";
#endif
    case 0:
        return "Erreur inconnue.";
    default:
        return "Erreur système numéro " + std::to_string(errorNumber) + ".";
    }
}

std::string loadReason(const LoadResult &result) {
    switch (result.status) {
    case LoadStatus::cannotOpen:
        return systemReason(result.error);
    case LoadStatus::truncatedHeader:
        return "Le fichier se termine avant la fin de l'en-tête : ce n'est pas une image PPM "
               "complète.";
    case LoadStatus::negativeSize:
        return "L'en-tête du fichier donne une taille négative.";
    case LoadStatus::notRegularFile:
        return "Ce chemin n'est pas celui d'un fichier ordinaire (périphérique, tube ou socket).";
    case LoadStatus::ok:
        break;
    }
    return systemReason(result.error);
}

// Open failed: names the file and the reason, and says the shown picture is unchanged.
std::string openFailureText(const char *path, const LoadResult &result) {
    return "Impossible d'ouvrir le fichier\n" + std::string(path) + "\n\n" + loadReason(result) +
           "\nL'image affichée n'a pas changé.";
}

// Save as failed: names the file and the reason, and what became of the file: unchanged on a
// full disk, perhaps damaged when its old bytes could not be put back, with where their copy
// is; a temporary left behind is named too.
std::string saveFailureText(const char *path, const WriteResult &result) {
    std::string text = "Impossible d'enregistrer l'image dans le fichier\n" + std::string(path) +
                       "\n\n" + systemReason(result.error);
    if (result.damaged)
        return text +
               "\nLe fichier a peut-être été endommagé. Une copie de son ancien contenu "
               "est conservée dans\n" +
               result.leftover;
    text += "\nL'image n'a pas été enregistrée.";
    if (result.error == ENOSPC
#ifdef EDQUOT
        || result.error == EDQUOT
#endif
    )
        text += "\nFaute de place pour une copie sûre, le fichier existant n'a pas été modifié.";
    if (!result.leftover.empty())
        text += "\nLe fichier temporaire suivant n'a pas pu être supprimé :\n" + result.leftover;
    return text;
}

// Save as done, but a temporary or a copy could not be removed: names it, in an error box, as
// the user has a file to clear away.
std::string leftoverText(const char *path, const WriteResult &result) {
    return "L'image a été enregistrée dans le fichier\n" + std::string(path) +
           "\n\nmais le fichier temporaire suivant n'a pas pu être supprimé :\n" + result.leftover;
}

// A chosen path did not fit the path buffer: names the limit and, as above, what it means for
// the picture or the file.
std::string pathTooLongText(bool forSaving) {
    return std::string(forSaving ? "Impossible d'enregistrer l'image dans le fichier choisi"
                                 : "Impossible d'ouvrir le fichier choisi") +
           "\n\nSon chemin est trop long : il doit tenir en " + std::to_string(pathBufferSize - 1) +
           " caractères.\n" +
           (forSaving ? "L'image n'a pas été enregistrée." : "L'image affichée n'a pas changé.");
}

} // namespace

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

void savePicture() {
    const ChosenFile chosen = chooseFileName(true);
    if (!chosen.accepted)
        return;

    const WriteResult result = writePicture(chosen.path.get());
    if (!result.written) {
        const std::string text = saveFailureText(chosen.path.get(), result);
        MessageBoxA(mainWindow, text.c_str(), saveFailureCaption, MB_OK | MB_ICONERROR);
    } else if (!result.leftover.empty()) {
        const std::string text = leftoverText(chosen.path.get(), result);
        MessageBoxA(mainWindow, text.c_str(), saveFailureCaption, MB_OK | MB_ICONERROR);
    }
}
