#include "interp/TabelleCampioni.h"

#include <QtEndian>

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
    if (immagine.size() != DimensioneFile)
        return false;
    const char *p = immagine.constData();
    for (int r = 0; r < Righe; ++r)
        for (int k = 0; k < NumeroTabelle; ++k, p += 4)
            t[k][r] = qFromLittleEndian<qint32>(p);
    return true;
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
