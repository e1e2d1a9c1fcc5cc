// The floor under kelvotrace's wall time: a program that writes six files of the same names
// and sizes, from memory that is already filled, and does nothing else.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main() {
    struct Fichier {
        const char *nom;
        int cote;
    };
    const Fichier fichiers[] = {{"testinter.ppm", 450},   {"testobj.ppm", 450},
                                {"testnormale.ppm", 450}, {"testMulti.ppm", 450},
                                {"testLamp.ppm", 450},    {"testZbuf_Phong.ppm", 500}};
    int statut = 0;
    for (const Fichier &f : fichiers) {
        const std::string cote = std::to_string(f.cote);
        const std::string entete = "P6\n#Kelvo\n" + cote + " " + cote + "\n255\n";
        std::vector<char> octets(entete.size() + static_cast<std::size_t>(f.cote) * f.cote * 3,
                                 '\x20');
        std::memcpy(octets.data(), entete.data(), entete.size());

        std::FILE *fichier = std::fopen(f.nom, "wb");
        if (fichier == nullptr) {
            std::perror(f.nom);
            statut = 1;
            continue;
        }
        std::setvbuf(fichier, nullptr, _IONBF, 0); // one write, no copy through a buffer
        if (std::fwrite(octets.data(), 1, octets.size(), fichier) != octets.size()) {
            std::perror(f.nom);
            statut = 1;
        }
        if (std::fclose(fichier) != 0) {
            std::perror(f.nom);
            statut = 1;
        }
    }
    return statut;
}
