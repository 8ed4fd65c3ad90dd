#include "interp/TabelleCampioni.h"

#include <QtEndian>

#include <algorithm>

namespace gascal {

const std::array<const char *, TabelleCampioni::NumeroTabelle> TabelleCampioni::Nomi = {
    "BeM", "Be0", "Be1", "Be2", "GaM", "Ga0", "Ga1", "Ga2"};

void TabelleCampioni::CancellaBenzina()
{
    for (int k : {BeM, Be0, Be1, Be2})
        ClearTab(t[k]);
}

void TabelleCampioni::CancellaGas()
{
    for (int k : {GaM, Ga0, Ga1, Ga2})
        ClearTab(t[k]);
}

QByteArray TabelleCampioni::Immagine() const
{
    QByteArray dati(DimensioneFile, '\0');
    char *p = dati.data();
    for (int r = 0; r < Righe; ++r)
        for (int k = 0; k < NumeroTabelle; ++k, p += 4)
            qToLittleEndian<qint32>(t[k][r], p);
    return dati;
}

bool TabelleCampioni::DaImmagine(const QByteArray &immagine)
{
    if (immagine.size() != DimensioneFile || !ValoreImpossibile(immagine).isEmpty())
        return false;
    const char *p = immagine.constData();
    for (int r = 0; r < Righe; ++r)
        for (int k = 0; k < NumeroTabelle; ++k, p += 4)
            t[k][r] = qFromLittleEndian<qint32>(p);
    return true;
}

QString TabelleCampioni::ValoreImpossibile(const QByteArray &immagine)
{
    const char *p = immagine.constData();
    const qsizetype valori = std::min<qsizetype>(immagine.size(), DimensioneFile) / 4;
    for (qsizetype i = 0; i < valori; ++i, p += 4) {
        const qint32 v = qFromLittleEndian<qint32>(p);
        if (v < 0 || v > TempoMassimo)
            return QStringLiteral("table %1, row %2 holds %3, which is no petrol time (0..%4 us)")
                .arg(QLatin1String(Nomi[i % NumeroTabelle])).arg(i / NumeroTabelle).arg(v).arg(TempoMassimo);
    }
    return {};
}

QString TabelleCampioni::Testo() const
{
    const QString fine = QStringLiteral("\r\n");
    QString testo = QStringLiteral("id").rightJustified(3);
    for (const char *nome : Nomi)
        testo += QString::fromLatin1(nome).rightJustified(6);
    testo += fine;
    for (int r = 0; r < Righe; ++r) {
        testo += QString::number(r).rightJustified(3);
        for (int k = 0; k < NumeroTabelle; ++k)
            testo += QString::number(t[k][r]).rightJustified(6);
        testo += fine;
    }
    return testo;
}

} // namespace gascal
