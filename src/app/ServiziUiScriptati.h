#pragma once

#include "app/ServiziUi.h"

#include <QList>
#include <functional>
#include <QQueue>
#include <QStringList>

namespace gascal {

// A ServiziUi that shows nothing: it answers from queues prepared by the
// caller (or with the safe default of each box) and records every box.
class ServiziUiScriptati : public ServiziUi
{
public:
    struct Mostrato {
        QString testo;
        QString titolo;
        Pulsanti pulsanti;
        Icona icona;
        Risposta predefinito; // the button Enter would press
    };

    using ServiziUi::Messaggio;
    Risposta Messaggio(const QString &testo, const QString &titolo, Pulsanti pulsanti, Icona icona,
                       Risposta predefinito) override;
    QString ApriFile(const QString &filtro, const QString &cartella) override;
    QString SalvaFile(const QString &filtro, const QString &cartella) override;
    void Beep() override { ++beep; }

    // Answers used in order; when empty, a box gets the answer that goes no
    // further: OK, No, or Cancel (a time-out is a failure), whatever its
    // default button (kept in `mostrati`).
    QQueue<Risposta> risposte;
    QQueue<QString> fileDaAprire;
    QQueue<QString> fileDaSalvare;

    QList<Mostrato> mostrati;
    QStringList filtriMostrati;
    int beep = 0;

    // Texts of the boxes shown so far.
    QStringList Testi() const;
    // Called for every box, before it is answered (the command-line tool
    // prints the boxes on standard error).
    std::function<void(const Mostrato &)> osservatore;
};

} // namespace gascal
