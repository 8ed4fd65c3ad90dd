// The fuzz targets as plain programs: each argument is a file or a folder of
// files (a seed corpus), each file handed once to the target. Used where
// libFuzzer is not there (GCC), so that ctest replays the corpora.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {
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
    int errori = 0;
    int file = 0;
    for (int i = 1; i < argc; ++i) {
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
