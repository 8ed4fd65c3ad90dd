#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace gascal {

// What carries the link's frames to the communication process and back:
// PrjCom's pipes (TrasportoProcesso), unless a test gives the link a peer of
// its own that answers the frames in the same process.
class Trasporto
{
public:
    virtual ~Trasporto() = default;

    // Starts the process `programma` with `argomenti`; false when it did not start.
    virtual bool Avvia(const QString &programma, const QStringList &argomenti) = 0;
    // Whether it runs.
    virtual bool Attivo() const = 0;
    // Its process id, 0 when it does not run.
    virtual qint64 IdProcesso() const = 0;
    // Writes a whole request frame; false when it did not go out whole.
    virtual bool Scrivi(const QByteArray &frame) = 0;
    // Reply bytes that arrived and were not read yet.
    virtual qint64 Disponibili() const = 0;
    virtual QByteArray Leggi() = 0;
    // Closes its input (PrjCom ends on end of input) and gives it `ms` to end.
    virtual void ChiudiIngresso(int ms) = 0;
    // The same, and a process still there after that is killed.
    virtual void Termina() = 0;
};

} // namespace gascal
