#include "interp/FileCampioni.h"

#include "app/LetturaLimitata.h"
#include "interp/TabelleCampioni.h"
#include "i18n/TraduttoreDizionario.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace gascal::FileCampioni {

namespace {

bool Fallito(QString *errore, const QString &testo)
{
    if (errore)
        *errore = testo;
    return false;
}

} // namespace

bool CaricaCampioni(const QString &percorso, TabelleCampioni &tabelle, QString *errore)
{
    const QString nome = QDir::toNativeSeparators(percorso);
    QFile file;
    const QString illeggibile = LetturaLimitata::Apri(percorso, LetturaLimitata::Tipo::Campioni, file);
    if (!illeggibile.isEmpty())
        return Fallito(errore, TraduttoreDizionario::Tr("Cannot read the sample file %1: %2").arg(nome, illeggibile));
    // One byte more than a sample file is enough to know it is not one.
    const QByteArray dati = file.read(TabelleCampioni::DimensioneFile + 1);
    if (dati.size() != TabelleCampioni::DimensioneFile)
        return Fallito(errore, TraduttoreDizionario::Tr("%1 is not a sample file: it holds %2 bytes instead of %3, so nothing was read from it.")
                                   .arg(nome)
                                   .arg(file.size())
                                   .arg(TabelleCampioni::DimensioneFile));
    const QString impossibile = TabelleCampioni::ValoreImpossibile(dati);
    if (!impossibile.isEmpty())
        return Fallito(errore, TraduttoreDizionario::Tr("%1 is not a sample file: %2, so nothing was read from it.")
                                   .arg(nome, impossibile));
    tabelle.DaImmagine(dati);
    return true;
}

bool SalvaCampioni(const QString &percorso, const TabelleCampioni &tabelle, QString *errore)
{
    QSaveFile file(percorso);
    if (!file.open(QIODevice::WriteOnly) || file.write(tabelle.Immagine()) != TabelleCampioni::DimensioneFile
        || !file.commit())
        return Fallito(errore, TraduttoreDizionario::Tr("Cannot write the sample file %1: %2")
                                   .arg(QDir::toNativeSeparators(percorso), file.errorString()));
    return true;
}

} // namespace gascal::FileCampioni
