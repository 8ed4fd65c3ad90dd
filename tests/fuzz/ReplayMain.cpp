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
const struct {
    const char *nome;
    Bersaglio funzione;
} Bersagli[] = {
#define BERSAGLIO(nome) {#nome, Bersaglio_##nome},
#include "BersagliFuzz.h"
#undef BERSAGLIO
};
} // namespace

int main(int argc, char *argv[])
{
    Bersaglio bersaglio = nullptr;
    for (const auto &b : Bersagli)
        if (argc > 1 && std::strcmp(argv[1], b.nome) == 0)
            bersaglio = b.funzione;
    if (!bersaglio) {
        std::fprintf(stderr, "usage: replay_fuzz TARGET FILE|FOLDER...; targets:");
        for (const auto &b : Bersagli)
            std::fprintf(stderr, " %s", b.nome);
        std::fprintf(stderr, "\n");
        return 2;
    }
    QStringList file;
    for (int i = 2; i < argc; ++i) {
        const QString argomento = QString::fromLocal8Bit(argv[i]);
        if (!QFileInfo(argomento).isDir())
            file << argomento;
        for (const QString &nome : QDir(argomento).entryList(QDir::Files, QDir::Name))
            file << QDir(argomento).filePath(nome);
    }
    for (const QString &percorso : file) {
        QFile f(percorso);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(percorso));
            return 1;
        }
        const QByteArray dati = f.readAll();
        bersaglio(reinterpret_cast<const uint8_t *>(dati.constData()), static_cast<size_t>(dati.size()));
    }
    std::printf("%lld inputs replayed\n", static_cast<long long>(file.size()));
    return file.isEmpty() ? 1 : 0;
}
