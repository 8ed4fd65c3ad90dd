// The fuzz targets as one plain program: `replay_fuzz TARGET FILE|FOLDER...`
// hands each file (a folder: each file of a seed corpus) once to the target.
// Used where libFuzzer is not there (GCC), so that ctest replays the corpora.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

#include <cstring>

using Bersaglio = int (*)(const uint8_t *data, size_t size);
#define BERSAGLIO(nome) extern "C" int Bersaglio_##nome(const uint8_t *data, size_t size);
#include "BersagliFuzz.h"
#undef BERSAGLIO

namespace {

struct Voce {
    const char *nome;
    Bersaglio funzione;
};
#define BERSAGLIO(nome) {#nome, Bersaglio_##nome},
const Voce Bersagli[] = {
#include "BersagliFuzz.h"
};
#undef BERSAGLIO

Bersaglio LLVMFuzzerTestOneInput = nullptr;

int Esegui(const QString &percorso)
{
    QFile file(percorso);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(percorso));
        return 1;
    }
    const QByteArray dati = file.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(dati.constData()),
                           static_cast<size_t>(dati.size()));
    return 0;
}
} // namespace

int main(int argc, char *argv[])
{
    for (const Voce &v : Bersagli)
        if (argc > 1 && std::strcmp(argv[1], v.nome) == 0)
            LLVMFuzzerTestOneInput = v.funzione;
    if (!LLVMFuzzerTestOneInput) {
        std::fprintf(stderr, "usage: replay_fuzz TARGET FILE|FOLDER...; targets:");
        for (const Voce &v : Bersagli)
            std::fprintf(stderr, " %s", v.nome);
        std::fprintf(stderr, "\n");
        return 2;
    }
    int errori = 0;
    int file = 0;
    for (int i = 2; i < argc; ++i) {
        const QString argomento = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(argomento).isDir()) {
            const QDir cartella(argomento);
            for (const QString &nome : cartella.entryList(QDir::Files, QDir::Name)) {
                errori += Esegui(cartella.filePath(nome));
                ++file;
            }
        } else {
            errori += Esegui(argomento);
            ++file;
        }
    }
    std::printf("%d inputs replayed\n", file);
    return errori == 0 && file > 0 ? 0 : 1;
}
