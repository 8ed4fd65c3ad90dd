#pragma once

#include <QFile>
#include <QString>

namespace gascal {

// A CSV file written one row at a time, each row flushed at once so that a
// crash loses at most the row being written.
class RegistratoreCsv
{
public:
    // Creates (or replaces) the file with its header; false with Errore() set.
    bool Apri(const QString &percorso, const QString &intestazione);
    // False (and the file closed) when the row could not be written.
    bool Scrivi(const QString &riga);
    void Chiudi();
    bool Aperto() const { return m_file.isOpen(); }
    QString Percorso() const { return m_file.fileName(); }
    QString Errore() const { return m_errore; }

private:
    QFile m_file;
    QString m_errore;
};

} // namespace gascal
