#pragma once

#include <QVector>

namespace gascal {

// One queued change of a record's value: replace it (Maschera below 1) or
// set / clear the bits of Maschera (Valore non-zero / zero).
struct VoceCoda {
    qint32 Valore = 0;
    qint32 Indice = -1; // -1 = empty entry
    qint32 Maschera = 0;
};

// A write queue of one record. An empty queue holds one entry with Indice -1.
class CodaScrittura
{
public:
    CodaScrittura() : m_voci{VoceCoda{}} {}

    void Aggiungi(qint32 valore, qint32 indice, qint32 maschera);
    // Replaces the whole queue with one entry.
    void Imposta(qint32 valore, qint32 indice, qint32 maschera);
    bool Vuota() const;
    const QVector<VoceCoda> &Voci() const { return m_voci; }
    qsizetype Numero() const { return m_voci.size(); }

    // Applies the first `quante` entries (all when negative) to the values;
    // entries that point outside the values are skipped.
    void Applica(QVector<qint32> &valori, qsizetype quante = -1) const;
    // Removes the first `quante` entries after a successful write; entries
    // appended while the write ran stay for the next one.
    void Consuma(qsizetype quante);

private:
    QVector<VoceCoda> m_voci;
};

} // namespace gascal
