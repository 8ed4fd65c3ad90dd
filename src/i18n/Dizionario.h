#pragma once

#include <QString>
#include <QStringList>

namespace gascal {

// The language dictionary: every text a window shows, by index, with the font
// that renders the language.
class Dizionario
{
public:
    enum Lingua { Inglese, Italiano, Ucraino, Portoghese, Thai, Ungherese, NumeroLingue };

    struct Percorsi {
        QString testDiz; // TEST.DIZ: a translator's dictionary, wins over the built-in ones
        QString dizIni;  // diz.ini: the language chosen last
        QString fontIni; // font.ini: font override
    };

    // Loads the dictionary and the font; `prossima` moves to the next language
    // (not with TEST.DIZ). Always true once it has run.
    bool CaricaDizionario(bool prossima, const Percorsi &percorsi);

    // Text k, or an empty text beyond the end.
    QString Testo(qsizetype k) const { return k >= 0 && k < m_testi.size() ? m_testi.at(k) : QString(); }
    qsizetype Numero() const { return m_testi.size(); }
    const QStringList &Testi() const { return m_testi; }
    // Index of the window's section line, or -1 when the dictionary lacks it.
    qsizetype Sezione(const QString &nomeSezione) const { return m_testi.indexOf(nomeSezione); }
    // Text +k of a section (k from 1); empty when the section is missing.
    QString TestoSezione(const QString &nomeSezione, int k) const;
    // The same, or `progetto` (the window's design text) when the dictionary
    // in use has no such section (an older translator's TEST.DIZ).
    QString TestoSezione(const QString &nomeSezione, int k, const QString &progetto) const;

    QString FontNome;
    int FontCharset = 0;
    int LinguaCorrente = Inglese;

    static QString RisorsaDi(int lingua);
    static int NumeroRisorsa(int lingua) { return 105 + ((lingua >= 1 && lingua <= 5) ? lingua : 0); }
    static QString LeggiDizIni(const QString &percorso);
    void LeggiFontIni(const QString &percorso);
    void LeggiIntestazioneDiz(const QString &intestazione);

    // Replaces the texts (tests and tools).
    void ImpostaTesti(const QStringList &testi) { m_testi = testi; }

private:
    QStringList m_testi;
};

} // namespace gascal
