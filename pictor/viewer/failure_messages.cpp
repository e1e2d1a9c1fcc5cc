#include "failure_messages.h"

#include "file_dialog.h"

#include <cerrno>

const char *const openFailureCaption = "Ouverture impossible";
const char *const saveFailureCaption = "Enregistrement impossible";

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

namespace {

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

} // namespace

std::string openFailureText(const char *path, const LoadResult &result) {
    return "Impossible d'ouvrir le fichier\n" + std::string(path) + "\n\n" + loadReason(result) +
           "\nL'image affichée n'a pas changé.";
}

std::string saveFailureText(const char *path, int errorNumber) {
    return "Impossible d'enregistrer l'image dans le fichier\n" + std::string(path) + "\n\n" +
           systemReason(errorNumber) + "\nL'image n'a pas été enregistrée.";
}

std::string pathTooLongText(bool forSaving) {
    return std::string(forSaving ? "Impossible d'enregistrer l'image dans le fichier choisi"
                                 : "Impossible d'ouvrir le fichier choisi") +
           "\n\nSon chemin est trop long : il doit tenir en " + std::to_string(pathBufferSize - 1) +
           " caractères.\n" +
           (forSaving ? "L'image n'a pas été enregistrée." : "L'image affichée n'a pas changé.");
}
