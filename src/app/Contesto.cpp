#include "app/Contesto.h"

#include "app/ServiziUi.h"

namespace gascal {

Contesto::Contesto(ServiziUi &servizi)
    : ui(servizi), link(stato, servizi), tx(link, impLink)
{
}

bool Contesto::EsisteValore(int n, int k) const
{
    return n >= 0 && n < TabMsg.size() && k >= 0 && k < TabMsg.at(n).Valori.size();
}

qint32 Contesto::Valore(int n, int k) const
{
    return EsisteValore(n, k) ? TabMsg.at(n).Valori.at(k) : 0;
}

AmbienteDecodifica Contesto::Ambiente() const
{
    AmbienteDecodifica amb;
    amb.SommaTempoInj_usec = scale.SommaTempoInj_usec;
    amb.InterpolazioneAttiva = InterpolazioneAttiva;
    if (EsisteValore(RecConfig, 20))
        amb.Valore20Record3 = Valore(RecConfig, 20);
    const qint32 tipoSensore = Valore(RecConfig, 25);
    amb.ConvertiMapSens = [this, tipoSensore](qint32 v) {
        return scale.ConvertiMapSens(v, tipoSensore);
    };
    amb.SegnalaNonDecodificate = [this](const MsgRecord &r, const QByteArray &immagine,
                                        const QVector<int> &indici) {
        SegnalaDisallineamento(r, immagine, indici);
    };
    return amb;
}

void Contesto::SegnalaDisallineamento(const MsgRecord &r, const QByteArray &immagine,
                                      const QVector<int> &indici) const
{
    // Once per variable for the program's life: the live record is read 20 times a second.
    QStringList nuove;
    for (int k : indici) {
        const QString chiave = QStringLiteral("%1/%2/%3").arg(r.Id).arg(r.Nome).arg(k);
        if (m_disallineamentiSegnalati.contains(chiave))
            continue;
        m_disallineamentiSegnalati.insert(chiave);
        nuove << QStringLiteral("value %1 (%2 at %3)").arg(k).arg(r.Tipi.value(k)).arg(r.Offset.value(k));
    }
    if (nuove.isEmpty())
        return;
    ui.Messaggio(QStringLiteral("Record %1 (%2) does not fit the block of %3 bytes: %4 cannot be read "
                                "and keeps its last value.\r\nSetCom.ini does not match this ECU.")
                     .arg(r.Id).arg(r.Nome).arg(immagine.size()).arg(nuove.join(QStringLiteral(", "))),
                 Titolo(), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Esclamazione);
}

void Contesto::Decodifica(int n, const QByteArray &immagine)
{
    if (n < 0 || n >= TabMsg.size())
        return;
    // An empty image (a definition file's empty block line) holds nothing to
    // read: the values keep what they had, and no layout is reported wrong.
    if (immagine.isEmpty()) {
        TabMsg[n].Immagine.clear();
        return;
    }
    Blocco::DecodificaBlocco(immagine, TabMsg[n], Ambiente());
}

} // namespace gascal
