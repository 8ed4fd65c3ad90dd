#include "app/CartellaUtente.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSaveFile>
#include <QStandardPaths>

#include <unistd.h>

namespace gascal {

const QStringList CartellaUtente::FileImpostazioni = {
    QStringLiteral("SetCom.ini"), QStringLiteral("PrjCom.ini"), QStringLiteral("PortCom.ini"),
    QStringLiteral("map.ini"), QStringLiteral("def.xar"), QStringLiteral("def_cng.xar"),
    QStringLiteral("ConfigScale.ini"), QStringLiteral("ParaTun.txt"), QStringLiteral("diz.ini"),
    QStringLiteral("font.ini"), QStringLiteral("TEST.DIZ"), QStringLiteral("Memo.ini"),
    QStringLiteral("Flash.ini")};

const QString CartellaUtente::FileElenco = QStringLiteral(".shipped");

namespace {

// Checksum of a file's bytes, empty when it cannot be read.
QByteArray Impronta(const QString &percorso)
{
    QFile file(percorso);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}

// The list of the seeding: one "name=checksum" line per file copied.
QMap<QString, QByteArray> LeggiElenco(const QString &percorso)
{
    QMap<QString, QByteArray> elenco;
    QFile file(percorso);
    if (!file.open(QIODevice::ReadOnly))
        return elenco;
    for (const QByteArray &riga : file.readAll().split('\n')) {
        const qsizetype uguale = riga.indexOf('=');
        if (uguale > 0)
            elenco.insert(QString::fromUtf8(riga.left(uguale)), riga.mid(uguale + 1).trimmed());
    }
    return elenco;
}

bool ScriviElenco(const QString &percorso, const QMap<QString, QByteArray> &elenco)
{
    QSaveFile file(percorso);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (auto it = elenco.cbegin(); it != elenco.cend(); ++it)
        file.write(it.key().toUtf8() + '=' + it.value() + '\n');
    return file.commit();
}

// Copies through a temporary file, so that a cut copy never stands as the file.
bool Copia(const QString &da, const QString &a)
{
    QFile origine(da);
    if (!origine.open(QIODevice::ReadOnly))
        return false;
    QSaveFile copia(a);
    if (!copia.open(QIODevice::WriteOnly))
        return false;
    copia.write(origine.readAll());
    return copia.commit();
}

} // namespace

QString CartellaUtente::CartellaDatiUtente()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/GasCal");
}

bool CartellaUtente::Scrivibile(const QString &cartella)
{
    // access() also answers for a folder on a read-only mount.
    return QFileInfo(cartella).isDir() && ::access(QFile::encodeName(cartella).constData(), W_OK) == 0;
}

QString CartellaUtente::Scegli(const QString &cartellaProgramma, QString *errore,
                               const QString &cartellaUtente)
{
    if (Scrivibile(cartellaProgramma))
        return cartellaProgramma;
    const QString utente = cartellaUtente.isEmpty() ? CartellaDatiUtente() : cartellaUtente;
    Semina(cartellaProgramma, utente, errore);
    return utente;
}

QStringList CartellaUtente::Semina(const QString &origine, const QString &destinazione,
                                   QString *errore)
{
    QStringList scritti;
    auto sbaglio = [&](const QString &testo) {
        if (errore && errore->isEmpty())
            *errore = testo;
    };
    const QDir dest(destinazione);
    if (!QDir().mkpath(dest.filePath(QStringLiteral("Data")))) {
        sbaglio(QStringLiteral("cannot create the folder %1").arg(dest.filePath(QStringLiteral("Data"))));
        return scritti;
    }
    const QString percorsoElenco = dest.filePath(FileElenco);
    QMap<QString, QByteArray> elenco = LeggiElenco(percorsoElenco);
    const QMap<QString, QByteArray> primaElenco = elenco;
    for (const QString &nome : FileImpostazioni) {
        const QString spedito = QDir(origine).filePath(nome);
        if (!QFileInfo(spedito).isFile())
            continue;
        const QString mio = dest.filePath(nome);
        const QByteArray nuovo = Impronta(spedito);
        bool copia = false;
        if (!QFileInfo::exists(mio)) {
            copia = true;
        } else {
            // Only a file that is still exactly what was copied may follow a
            // newer shipped one; the user's own files stay as they are.
            const QByteArray copiato = elenco.value(nome);
            copia = !copiato.isEmpty() && copiato != nuovo && Impronta(mio) == copiato;
        }
        if (!copia)
            continue;
        if (!Copia(spedito, mio)) {
            sbaglio(QStringLiteral("cannot copy %1 to %2").arg(spedito, mio));
            continue;
        }
        elenco.insert(nome, nuovo);
        scritti << nome;
    }
    if (elenco != primaElenco && !ScriviElenco(percorsoElenco, elenco))
        sbaglio(QStringLiteral("cannot write %1").arg(percorsoElenco));
    return scritti;
}

} // namespace gascal
