// The modal file dialogs and message boxes, each run in the layer's modal loop.
#include "file_dialog_request.h"
#include "gtk_window.h"

namespace {

DWORD lastDialogError = 0;

GtkWindow *ownerWindow(HWND owner) {
    HWND__ *w = liveWindow(owner);
    return w != nullptr ? GTK_WINDOW(w->window) : nullptr;
}

struct Answer {
    gint response = GTK_RESPONSE_NONE;
    bool given = false;
};

void onResponse(GtkDialog *, gint response, gpointer answer) {
    static_cast<Answer *>(answer)->response = response;
    static_cast<Answer *>(answer)->given = true;
}

// Shows the dialog and runs the modal loop until it answers; the caller destroys the dialog.
gint runModal(GtkWidget *dialog) {
    Answer answer;
    g_signal_connect(dialog, "response", G_CALLBACK(onResponse), &answer);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_widget_show_all(dialog);
    runModalLoop(&answer.given);
    return answer.response;
}

BOOL runFileDialog(LPOPENFILENAMEA dialog, bool forSaving) {
    lastDialogError = 0;
    if (dialog == nullptr || !dialogSizeAccepted(dialog->lStructSize)) {
        lastDialogError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    const FileDialogRequest request = describeFileDialog(*dialog, forSaving);
    GtkWidget *chooser = gtk_file_chooser_dialog_new(
        request.title.c_str(), ownerWindow(dialog->hwndOwner),
        forSaving ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Annuler",
        GTK_RESPONSE_CANCEL, forSaving ? "_Enregistrer" : "_Ouvrir", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser),
                                                   request.confirmOverwrite);
    for (const FileFilter &filter : request.filters) {
        GtkFileFilter *gtkFilter = gtk_file_filter_new();
        gtk_file_filter_set_name(gtkFilter, filter.name.c_str());
        for (const std::string &pattern : filter.patterns)
            gtk_file_filter_add_pattern(gtkFilter, pattern.c_str());
        gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), gtkFilter);
    }

    BOOL accepted = FALSE;
    if (runModal(chooser) == GTK_RESPONSE_ACCEPT) {
        gchar *path = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
        if (path != nullptr && storeChosenPath(*dialog, path))
            accepted = TRUE;
        else
            lastDialogError = FNERR_BUFFERTOOSMALL; // a path too long for the buffer
        g_free(path);
    }
    gtk_widget_destroy(chooser);
    return accepted;
}

GtkMessageType messageType(UINT type) {
    switch (type & 0xF0) {
    case MB_ICONERROR:
        return GTK_MESSAGE_ERROR;
    case MB_ICONQUESTION:
        return GTK_MESSAGE_QUESTION;
    case MB_ICONWARNING:
        return GTK_MESSAGE_WARNING;
    case MB_ICONINFORMATION:
        return GTK_MESSAGE_INFO;
    default:
        return GTK_MESSAGE_OTHER;
    }
}

} // namespace

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA dialog) { return runFileDialog(dialog, false); }

BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA dialog) { return runFileDialog(dialog, true); }

DWORD WINAPI CommDlgExtendedError() { return lastDialogError; }

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    // Only the single OK button is offered. GTK wants valid UTF-8, whatever bytes a path holds.
    gchar *shownText = g_utf8_make_valid(text != nullptr ? text : "", -1);
    GtkWidget *box = gtk_message_dialog_new(ownerWindow(owner), GTK_DIALOG_DESTROY_WITH_PARENT,
                                            messageType(type), GTK_BUTTONS_OK, "%s", shownText);
    g_free(shownText);
    gchar *shownCaption = g_utf8_make_valid(caption != nullptr ? caption : "Erreur", -1);
    gtk_window_set_title(GTK_WINDOW(box), shownCaption);
    g_free(shownCaption);
    runModal(box);
    gtk_widget_destroy(box);
    return IDOK;
}
