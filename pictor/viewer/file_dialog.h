// The open and save file dialog shared by the Open and Save-as commands.
#pragma once

#include <memory>

// Paths live in a buffer of this many bytes: at most 255 characters and the terminating zero.
constexpr unsigned pathBufferSize = 256;

struct ChosenFile {
    bool accepted = false;        // the user confirmed a name
    std::unique_ptr<char[]> path; // the full path when accepted
};

// Shows the modal open dialog, or the save dialog when forSaving is true. A cancelled or failed
// dialog gives accepted = false; so does a path longer than 255 characters, which is also told
// in a message box.
ChosenFile chooseFileName(bool forSaving);
