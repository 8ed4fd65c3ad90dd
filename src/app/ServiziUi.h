#pragma once

#include <QString>

namespace gascal {

// Message boxes, file dialogs and the beep. The windows use the Qt
// implementation; tests and the command-line tool use a scripted one that
// answers the boxes and keeps what was shown.
class ServiziUi
{
public:
    enum class Icona { Nessuna, Critica, Esclamazione, Domanda, Informazione };
    enum class Pulsanti { Ok, SiNo, RiprovaAnnulla };
    enum class Risposta { Ok, Si, No, Riprova, Annulla };

    virtual ~ServiziUi() = default;

    // `predefinito` is the button that Enter presses. A question that writes
    // or throws something away names No or Cancel.
    virtual Risposta Messaggio(const QString &testo, const QString &titolo, Pulsanti pulsanti,
                               Icona icona, Risposta predefinito) = 0;
    // The same with the default of the buttons: OK, No, Retry.
    Risposta Messaggio(const QString &testo, const QString &titolo, Pulsanti pulsanti, Icona icona)
    {
        return Messaggio(testo, titolo, pulsanti, icona, Predefinito(pulsanti));
    }
    static Risposta Predefinito(Pulsanti pulsanti)
    {
        switch (pulsanti) {
        case Pulsanti::SiNo: return Risposta::No;
        case Pulsanti::RiprovaAnnulla: return Risposta::Riprova;
        case Pulsanti::Ok: break;
        }
        return Risposta::Ok;
    }
    // An empty result means the user cancelled.
    virtual QString ApriFile(const QString &filtro, const QString &cartella) = 0;
    virtual QString SalvaFile(const QString &filtro, const QString &cartella) = 0;
    virtual void Beep() = 0;
};

} // namespace gascal
