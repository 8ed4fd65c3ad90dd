// Dictionaries: a translator's TEST.DIZ, font.ini and diz.ini as files, and
// the scrambled resource layout from bytes.
#include "FuzzIngresso.h"

#include "ecu/FileTesto.h"
#include "i18n/CifraRiga.h"
#include "i18n/Dizionario.h"
#include "i18n/Risorse.h"

using namespace gascal;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray ingresso = fuzz::Byte(data, size);
    const Dizionario::Percorsi percorsi{fuzz::ScriviFile("TEST.DIZ", ingresso),
                                        fuzz::ScriviFile("diz.ini", ingresso),
                                        fuzz::ScriviFile("font.ini", ingresso)};
    Dizionario d;
    d.CaricaDizionario(fuzz::Primo(ingresso) & 1, percorsi);
    d.TestoSezione(QStringLiteral("[Frm_Barra]"), 3);
    if (d.FontCharset < 0 || d.FontCharset > 255)
        __builtin_trap();
    Dizionario::LeggiDizIni(percorsi.dizIni);

    Risorse::RigheDaByte(ingresso);
    for (const QString &riga : FileTesto::RigheDaByte(ingresso)) {
        QString chiaro;
        // Unscrambling gives the line back (UTF-8 decoding drops a leading byte-order mark).
        const QString atteso = riga.startsWith(QChar(0xFEFF)) ? riga.mid(1) : riga;
        if (!DecriptaRiga(CriptaRiga(riga), chiaro) || chiaro != atteso)
            __builtin_trap();
    }
    return 0;
}
