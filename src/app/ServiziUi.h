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

    virtual Risposta Messaggio(const QString &testo, const QString &titolo,
                               Pulsanti pulsanti, Icona icona) = 0;
    // An empty result means the user cancelled.
    virtual QString ApriFile(const QString &filtro, const QString &cartella) = 0;
    virtual QString SalvaFile(const QString &filtro, const QString &cartella) = 0;
    virtual void Beep() = 0;
};

} // namespace gascal
