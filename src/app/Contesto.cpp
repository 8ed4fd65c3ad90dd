#include "app/Contesto.h"

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
    return amb;
}

void Contesto::Decodifica(int n, const QByteArray &immagine)
{
    if (n < 0 || n >= TabMsg.size())
        return;
    Blocco::DecodificaBlocco(immagine, TabMsg[n], Ambiente());
}

} // namespace gascal
