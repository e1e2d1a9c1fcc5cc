// The menu commands that the window procedure runs.
#pragma once

// "Ouvrir": asks for a P6 file and shows it; a file that cannot be read is reported and the
// current picture stays.
void openPicture();

// "Enregistrer sous": asks for a path and writes the picture there; a failure is reported.
void savePicture();

// "About": the information box.
void showAbout();
