// The modal file dialogs and message boxes, each run in the layer's modal loop.
#include "dialogs.h"
#include "window.h"

#include <cstring>
#include <memory>
#include <string>

namespace {

DWORD lastDialogError = 0;

// A string that GLib allocated.
struct GFree {
    void operator()(gchar *text) const { g_free(text); }
};
using GText = std::unique_ptr<gchar, GFree>;

GtkWindow *ownerWindow(HWND owner) {
    HWND__ *w = liveWindow(owner);
    return w != nullptr ? GTK_WINDOW(w->window) : nullptr;
}

// A dialog run modally and kept alive until it is done with. GTK's default handling of a delete
// event (Escape, the close button of the title bar) would destroy and free the dialog inside the
// modal loop; here a delete only answers GTK_RESPONSE_DELETE_EVENT, a cancel, and the dialog is
// destroyed once, by its owner, as gtk_dialog_run leaves it.
class ModalDialog {
  public:
    explicit ModalDialog(GtkWidget *dialog) : dialog_(dialog) {
        g_object_ref(dialog_);
        g_signal_connect(dialog_, "response", G_CALLBACK(onResponse), &answer_);
        g_signal_connect(dialog_, "delete-event", G_CALLBACK(onDelete), nullptr);
        g_signal_connect(dialog_, "destroy", G_CALLBACK(onDestroy), &answer_); // with its owner
        gtk_window_set_modal(GTK_WINDOW(dialog_), TRUE);
    }
    ModalDialog(const ModalDialog &) = delete;
    ModalDialog &operator=(const ModalDialog &) = delete;
    ~ModalDialog() {
        g_signal_handlers_disconnect_by_data(dialog_, &answer_);
        gtk_widget_destroy(dialog_);
        g_object_unref(dialog_);
    }

    GtkWidget *widget() const { return dialog_; }

    // Shows the dialog and runs the modal loop until it answers; it stays shown.
    gint run() {
        answer_ = Answer{};
        gtk_widget_show(dialog_);
        runModalLoop(&answer_.given);
        return answer_.response;
    }

  private:
    struct Answer {
        gint response = GTK_RESPONSE_NONE;
        bool given = false;
    };

    static void onResponse(GtkDialog *, gint response, gpointer answer) {
        static_cast<Answer *>(answer)->response = response;
        static_cast<Answer *>(answer)->given = true;
    }
    static gboolean onDelete(GtkWidget *, GdkEvent *, gpointer) { return TRUE; }
    static void onDestroy(GtkWidget *, gpointer answer) {
        static_cast<Answer *>(answer)->given = true;
    }

    GtkWidget *dialog_;
    Answer answer_;
};

// A message box over parent with its text and caption, not yet shown.
GtkWidget *messageBox(GtkWindow *parent, GtkMessageType type, GtkButtonsType buttons,
                      const char *text, const char *caption) {
    // GTK wants valid UTF-8, whatever bytes a path holds.
    const GText shownText(g_utf8_make_valid(text, -1));
    GtkWidget *box = gtk_message_dialog_new(parent, GTK_DIALOG_DESTROY_WITH_PARENT, type, buttons,
                                            "%s", shownText.get());
    const GText shownCaption(g_utf8_make_valid(caption, -1));
    gtk_window_set_title(GTK_WINDOW(box), shownCaption.get());
    // A screen reader announces the box by its caption, as on Windows; GTK would name it by its
    // type ("Information").
    atk_object_set_name(gtk_widget_get_accessible(box), shownCaption.get());
    return box;
}

// A message with a single OK button over parent, run until it is closed.
void showMessage(GtkWindow *parent, GtkMessageType type, const char *text, const char *caption) {
    ModalDialog box(messageBox(parent, type, GTK_BUTTONS_OK, text, caption));
    box.run();
}

// A file is listed when its name as stored matches the filter, whatever its encoding. GTK's own
// patterns are matched against the name it shows, which for a name that is not valid UTF-8
// (a Latin-1 "caf\xe9.ppm") is another: "caf\xef\xbf\xbd.ppm (invalid encoding)".
gboolean filterListsFile(const GtkFileFilterInfo *file, gpointer patterns) {
    if (file->filename == nullptr)
        return FALSE; // no local file: the viewer could not open it
    const char *slash = std::strrchr(file->filename, '/');
    return filterMatches(*static_cast<const std::string *>(patterns),
                         slash != nullptr ? slash + 1 : file->filename);
}

void addFilterPatterns(GtkFileFilter *filter, const std::string &patterns) {
    gtk_file_filter_add_custom(filter, GTK_FILE_FILTER_FILENAME, filterListsFile,
                               new std::string(patterns),
                               [](gpointer data) { delete static_cast<std::string *>(data); });
}

// One pattern against a name from its first bytes on: "*" stands for any run of bytes, "?" for
// one byte, and letters match either case.
bool patternMatches(const char *pattern, const char *name) {
    for (; *pattern != '\0'; ++pattern, ++name) {
        if (*pattern == '*') {
            for (const char *rest = name;; ++rest) {
                if (patternMatches(pattern + 1, rest))
                    return true;
                if (*rest == '\0')
                    return false;
            }
        }
        if (*name == '\0' ||
            (*pattern != '?' && g_ascii_tolower(*pattern) != g_ascii_tolower(*name)))
            return false;
    }
    return *name == '\0';
}

// The name, not valid UTF-8, of the one file in folder whose display name is shown; empty when
// there is none, or several.
std::string nameShownAs(GFile *folder, const char *shown) {
    GFileEnumerator *children = g_file_enumerate_children(
        folder, G_FILE_ATTRIBUTE_STANDARD_NAME "," G_FILE_ATTRIBUTE_STANDARD_DISPLAY_NAME,
        G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, nullptr);
    if (children == nullptr)
        return {};
    std::string found;
    int matches = 0;
    while (GFileInfo *child = g_file_enumerator_next_file(children, nullptr, nullptr)) {
        const char *name = g_file_info_get_name(child);
        if (!g_utf8_validate(name, -1, nullptr) &&
            std::strcmp(g_file_info_get_display_name(child), shown) == 0) {
            found = name;
            ++matches;
        }
        g_object_unref(child);
    }
    g_object_unref(children);
    return matches == 1 ? found : std::string();
}

// The path the chooser's answer names, empty when it has no local one. A name typed or completed
// in its location entry is read as display text; for a file whose name is not valid UTF-8 that
// text is GIO's display name ("caf\xef\xbf\xbd.ppm (invalid encoding)"), which names no file:
// the file of that folder shown so is meant, by its real bytes. mapped then says so.
std::string chosenPath(GtkWidget *chooser, bool &mapped) {
    mapped = false;
    GFile *file = gtk_file_chooser_get_file(GTK_FILE_CHOOSER(chooser));
    if (file == nullptr)
        return {};
    const GText path(g_file_get_path(file));
    std::string chosen = path != nullptr ? path.get() : "";
    GFile *folder = g_file_get_parent(file);
    if (path != nullptr && folder != nullptr && !g_file_test(path.get(), G_FILE_TEST_EXISTS)) {
        const GText shown(g_file_get_basename(file));
        const std::string name = nameShownAs(folder, shown.get());
        const GText folderPath(g_file_get_path(folder));
        if (!name.empty() && folderPath != nullptr) {
            const GText real(g_build_filename(folderPath.get(), name.c_str(), nullptr));
            chosen = real.get();
            mapped = true;
        }
    }
    if (folder != nullptr)
        g_object_unref(folder);
    g_object_unref(file);
    return chosen;
}

// Asks whether to replace the file at path; true for yes.
bool replaceConfirmed(GtkWindow *parent, const std::string &path, const std::string &caption) {
    const GText name(g_filename_display_basename(path.c_str()));
    const GText text(g_strdup_printf("%s existe déjà.\nVoulez-vous le remplacer ?", name.get()));
    ModalDialog box(
        messageBox(parent, GTK_MESSAGE_WARNING, GTK_BUTTONS_NONE, text.get(), caption.c_str()));
    gtk_dialog_add_buttons(GTK_DIALOG(box.widget()), "_Non", GTK_RESPONSE_NO, "_Remplacer",
                           GTK_RESPONSE_YES, nullptr);
    return box.run() == GTK_RESPONSE_YES;
}

// Whether the dialog takes the chosen path, or stays open. With OFN_FILEMUSTEXIST it refuses a
// name that names no file. A save over a file found by its shown name (chosenPath) asks before
// replacing it with OFN_OVERWRITEPROMPT, as GTK asks for the names it knows.
bool acceptable(const FileDialogRequest &request, GtkWidget *chooser, const std::string &path,
                bool mapped) {
    if (mapped && request.confirmOverwrite)
        return replaceConfirmed(GTK_WINDOW(chooser), path, request.title);
    if (!request.mustExist || (!path.empty() && g_file_test(path.c_str(), G_FILE_TEST_EXISTS)))
        return true;
    const GText name(g_filename_display_name(path.c_str()));
    const GText text(
        g_strdup_printf("%s\nFichier introuvable.\nVérifiez le nom du fichier.", name.get()));
    showMessage(GTK_WINDOW(chooser), GTK_MESSAGE_WARNING, text.get(), request.title.c_str());
    return false;
}

BOOL runFileDialog(LPOPENFILENAMEA dialog, bool forSaving) {
    lastDialogError = 0;
    if (dialog == nullptr || !dialogSizeAccepted(dialog->lStructSize)) {
        lastDialogError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    const FileDialogRequest request = describeFileDialog(*dialog);
    ModalDialog chooser(gtk_file_chooser_dialog_new(
        request.title.c_str(), ownerWindow(dialog->hwndOwner),
        forSaving ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Annuler",
        GTK_RESPONSE_CANCEL, forSaving ? "_Enregistrer" : "_Ouvrir", GTK_RESPONSE_ACCEPT, nullptr));
    GtkFileChooser *files = GTK_FILE_CHOOSER(chooser.widget());
    gtk_dialog_set_default_response(GTK_DIALOG(chooser.widget()), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_set_do_overwrite_confirmation(files, request.confirmOverwrite);
    for (const FileFilter &filter : request.filters) {
        GtkFileFilter *gtkFilter = gtk_file_filter_new();
        gtk_file_filter_set_name(gtkFilter, filter.name.c_str());
        addFilterPatterns(gtkFilter, filter.pattern);
        gtk_file_chooser_add_filter(files, gtkFilter);
    }

    std::string path;
    bool mapped = false;
    gint response;
    do {
        response = chooser.run();
        if (response == GTK_RESPONSE_ACCEPT)
            path = chosenPath(chooser.widget(), mapped);
    } while (response == GTK_RESPONSE_ACCEPT && !path.empty() &&
             !acceptable(request, chooser.widget(), path, mapped));
    if (response != GTK_RESPONSE_ACCEPT)
        return FALSE; // cancelled or closed
    if (path.empty()) {
        lastDialogError = FNERR_INVALIDFILENAME; // a location with no local file name
        return FALSE;
    }
    if (!storeChosenPath(*dialog, path)) {
        lastDialogError = FNERR_BUFFERTOOSMALL; // a path too long for the buffer
        return FALSE;
    }
    return TRUE;
}

GtkMessageType messageType(UINT type) {
    switch (type & 0xF0) {
    case MB_ICONERROR:
        return GTK_MESSAGE_ERROR;
    case MB_ICONINFORMATION:
        return GTK_MESSAGE_INFO;
    default:
        return GTK_MESSAGE_OTHER;
    }
}

} // namespace

bool filterMatches(const std::string &patterns, const char *name) {
    for (std::size_t start = 0; start <= patterns.size();) {
        std::size_t end = patterns.find(';', start);
        if (end == std::string::npos)
            end = patterns.size();
        std::string pattern = patterns.substr(start, end - start);
        if (pattern == "*.*")
            pattern = "*"; // as on Windows, also the names without a dot
        if (!pattern.empty() && patternMatches(pattern.c_str(), name))
            return true;
        start = end + 1;
    }
    return false;
}

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

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA dialog) { return runFileDialog(dialog, false); }

BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA dialog) { return runFileDialog(dialog, true); }

DWORD WINAPI CommDlgExtendedError() { return lastDialogError; }

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    // Only the single OK button is offered; closing the box answers it too, as on Win32.
    showMessage(ownerWindow(owner), messageType(type), text != nullptr ? text : "",
                caption != nullptr ? caption : "Erreur");
    return IDOK;
}
