#pragma once

#include <QString>

namespace gascal {

class Contesto;

// What the frame's status line says about the link: searching, connected on
// a port (with its device), offline, an operation or an autotuning run; and
// a notice, once, when the ECU is found again after the link was lost. The
// texts come from the dictionary's "[Frm_Stato]" section.
class StatoCollegamento
{
public:
    // The state's text for the program's state now; `avviso` gets the
    // reconnection notice the first time a connection follows a lost one
    // (and is emptied otherwise).
    QString Aggiorna(const Contesto &ctx, QString *avviso = nullptr);
    // The page line: "Page n of 3: name (F2: next page)".
    static QString TestoPagina(const Contesto &ctx, int pagina);
    // A text of the section, with the design's English when it is missing.
    static QString Testo(const Contesto &ctx, int k);

private:
    bool m_collegatoPrima = false; // a connection was made before
    bool m_persa = false;          // and lost since
};

} // namespace gascal
