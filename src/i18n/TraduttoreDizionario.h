#pragma once

#include <QHash>
#include <QString>
#include <QTranslator>

namespace gascal {

class Dizionario;

// The core's own messages (a file that cannot be read or written, a recording
// that stops) in the program's language. The core writes them in English
// through Tr(); a window program installs this translator, which finds each
// English text in the "[Messaggi]" section of the English dictionary and
// gives the same text of the dictionary in use. A program that installs none
// (gascal-cli) keeps the English, and so does a dictionary without the
// section (an older translator's TEST.DIZ).
class TraduttoreDizionario : public QTranslator
{
public:
    static constexpr const char *ContestoMessaggi = "gascal";

    // `diz` is read at each translation: a change of language needs nothing more.
    explicit TraduttoreDizionario(const Dizionario &diz, QObject *parent = nullptr);

    QString translate(const char *contesto, const char *testo, const char *disambiguazione = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return m_indici.isEmpty(); }

    // A core message in the program's language (English without a translator).
    static QString Tr(const char *inglese);

private:
    const Dizionario &m_diz;
    QHash<QString, int> m_indici; // English text -> its number in the section
};

} // namespace gascal
