#include "interp/MemoIni.h"

#include "app/Contesto.h"
#include "interp/FileCampioni.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace gascal {

QString MemoIni::NomeScartato(const QString &percorso, const QDateTime &ora)
{
    const QString base = percorso + QLatin1Char('.') + ora.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    QString nome = base + QStringLiteral(".bad");
    for (int n = 2; QFileInfo::exists(nome) || QFileInfo(nome).isSymLink(); ++n)
        nome = base + QStringLiteral("-%1.bad").arg(n);
    return nome;
}

QString MemoIni::Carica(Contesto &ctx, const QDateTime &ora)
{
    const QString percorso = ctx.imp.FileMemoIni;
    if (percorso.isEmpty() || !QFileInfo(percorso).exists())
        return {};
    QString errore;
    if (FileCampioni::CaricaCampioni(percorso, ctx.campioni, &errore))
        return {};
    const QString scartato = NomeScartato(percorso, ora);
    if (QFile::rename(percorso, scartato)) {
        return errore + QStringLiteral("\r\nThe file is kept as %1; the samples of this run go to a new %2.")
                            .arg(QDir::toNativeSeparators(scartato), QFileInfo(percorso).fileName());
    }
    ctx.imp.FileMemoIni.clear();
    return errore + QStringLiteral("\r\nIt could not be renamed either, so it is left as it is and the samples of "
                                   "this run are not kept in it.");
}

} // namespace gascal
