#pragma once

#include "mapfile/ConfrontoMappe.h"

#include <QList>
#include <QString>

namespace gascal {

class Contesto;

// The differences of a comparison as an installer reads them: each setting
// under its page and group, named by the caption the page gives it and with
// its values in the page's unit (ms, rpm, V...), in the user's language.
// What no page shows (the pedestal guard, raw bytes) comes last, under its
// own heading. The stable names of `gascal-cli diff-map` stay with
// ConfrontoMappe; this is only how a window shows them.
class RigheConfronto
{
public:
    // The pages, in the order the program cycles them, then what none shows.
    enum Pagina { Commutazione, Iniettori, Retta, FuoriPagina };
    struct Riga {
        Pagina pagina = FuoriPagina;
        QString gruppo;     // "END-OF-GAS MANAGEMENT"
        QString didascalia; // "Pressure"
        QString a;          // "1.2 bar"
        QString b;
        bool operator==(const Riga &) const = default;
    };

    explicit RigheConfronto(const Contesto &ctx) : m_ctx(ctx) {}

    // The rows, grouped by page in the pages' order, each page's settings in
    // the order the comparison found them.
    QList<Riga> Righe(const QList<ConfrontoMappe::Differenza> &differenze) const;
    // One row as one line: "CAPTION: A | B".
    static QString Testo(const Riga &r);
    // The page's name as the status line gives it.
    QString TitoloPagina(Pagina p) const;
    // The heading a row stands under: "PAGE - GROUP", or the page alone.
    QString Intestazione(const Riga &r) const;

private:
    Riga Mostra(const ConfrontoMappe::Differenza &d) const;
    QString PetrolioPunto(int punto) const;

    const Contesto &m_ctx;
};

} // namespace gascal
