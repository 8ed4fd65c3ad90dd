#include "RegistroProve.h"
#include "i18n/Dizionario.h"
#include "i18n/Risorse.h"

#include "FileProva.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace gascal;
using namespace Qt::StringLiterals;

namespace {

// Sections that stand at the same line in every language.
const QStringList Sezioni{"[Frm_Barra]", "[Frm_Config]", "[Frm_Congif_2]", "[Frm_Retta]",
                          "[Frm_AutoTuning]", "[Frm_Interpola]", "[Frm_SelAlim]"};
// The windows added last, with the number of texts each reads: their
// sections close the files, in this order.
const QList<std::pair<QString, int>> SezioniNuove{
    {"[Frm_Grafico]", 25}, {"[Frm_Datalog]", 7}, {"[Frm_Confronto]", 11},
    {"[Frm_Stato]", 13}, {"[Frm_Barra_2]", 33}, {"[Frm_AutoTuning_2]", 2}, {"[Frm_Retta_2]", 9},
    {"[Frm_Wait_2]", 14}, {"[Frm_Grafico_2]", 8}, {"[Frm_Config_Note]", 1}, {"[Frm_Interpola_2]", 7},
    {"[Ripristino]", 11}, {"[Messaggi]", 28}};
} // namespace

class TstDizionario : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    Dizionario::Percorsi Percorsi() const
    {
        return {m_dir.filePath("TEST.DIZ"), m_dir.filePath("diz.ini"), m_dir.filePath("font.ini")};
    }
    QByteArray DizIni() const { return Leggi(m_dir.filePath("diz.ini")); }

private slots:
    void init()
    {
        for (const char *nome : {"TEST.DIZ", "diz.ini", "font.ini"})
            QFile::remove(m_dir.filePath(nome));
    }

    void firstStartIsEnglishThenNextCyclesThroughAllSix()
    {
        Dizionario d;
        QVERIFY(d.CaricaDizionario(false, Percorsi()));
        QCOMPARE(d.LinguaCorrente, int(Dizionario::Inglese));
        QCOMPARE(DizIni().trimmed(), QByteArray("0"));
        QSet<QString> fonts;
        for (int passo = 1; passo <= 6; ++passo) {
            d.CaricaDizionario(true, Percorsi());
            QCOMPARE(d.LinguaCorrente, passo % 6);
            QCOMPARE(DizIni().trimmed(), QByteArray::number(passo % 6));
            QCOMPARE(d.Testo(0), u"GasCal"_s);
            fonts.insert(d.FontNome);
        }
        QVERIFY(fonts.contains(u"Loma"_s)); // Thai needs its own font
    }

    // Every text is there in every language at the English line: no empty
    // line, and in the last windows' sections no section, no list separator,
    // the placeholder kept, the sections ending exactly where the files end
    // (a last line without its CR LF would be lost).
    void everyLanguageHasEveryText()
    {
        const QStringList inglese = Risorse::CaricaRisorsa(105, u"DIZ_ENG"_s);
        QCOMPARE(inglese.size(), 325);
        for (const QString &sezione : Sezioni)
            QVERIFY2(inglese.contains(sezione), qPrintable(sezione));
        // The autotuning window reads texts up to +45 of its section.
        const qsizetype at = inglese.indexOf(u"[Frm_AutoTuning]"_s);
        QVERIFY(!inglese.mid(at + 1, 45).contains(u"[Frm_Interpola]"_s));
        for (int lingua = 0; lingua < Dizionario::NumeroLingue; ++lingua) {
            const QString nome = Dizionario::RisorsaDi(lingua);
            const QStringList righe = Risorse::CaricaRisorsa(Dizionario::NumeroRisorsa(lingua), nome);
            QCOMPARE(righe.size(), inglese.size());
            for (const QString &sezione : Sezioni)
                QCOMPARE(righe.indexOf(sezione), inglese.indexOf(sezione));
            for (qsizetype i = 2; i < righe.size(); ++i)
                QVERIFY2(!righe.at(i).trimmed().isEmpty() || inglese.at(i).trimmed().isEmpty(),
                         qPrintable(u"%1 line %2 is empty"_s.arg(nome).arg(i)));
            qsizetype attesa = 143;
            for (const auto &[sezione, testi] : SezioniNuove) {
                QCOMPARE(righe.indexOf(sezione), attesa);
                for (int k = 1; k <= testi; ++k) {
                    const QString &testo = righe.at(attesa + k);
                    const QString dove = u"%1 %2 +%3"_s.arg(nome, sezione).arg(k);
                    QVERIFY2(!testo.startsWith(QLatin1Char('[')) && !testo.contains(QLatin1Char('|')), qPrintable(dove));
                    QVERIFY2(testo.contains("%1"_L1) == inglese.at(attesa + k).contains("%1"_L1), qPrintable(dove));
                }
                attesa += testi + 1;
            }
            QCOMPARE(attesa, righe.size());
        }
        QCOMPARE(Risorse::RigheDaByte("abc"), QStringList{QString()});
        QCOMPARE(Risorse::RigheDaByte("not hex\r\ntail").size(), 1);
    }

    void testDictionaryWinsAndIgnoresNext()
    {
        Scrivi(m_dir.filePath("TEST.DIZ"), "x#y#Test Font#7\r\nTitle\r\nOne\r\n");
        Scrivi(m_dir.filePath("diz.ini"), "3\r\n");
        Dizionario d;
        d.CaricaDizionario(true, Percorsi());
        QCOMPARE(d.Testo(0), u"Title #TEST.DIZ# "_s);
        QCOMPARE(d.Testo(1), u"One"_s);
        QCOMPARE(d.FontNome, u"Test Font"_s);
        QCOMPARE(d.FontCharset, 7);
        QCOMPARE(DizIni(), QByteArray("3\r\n")); // untouched
    }

    void headerAndFontOverrides()
    {
        Dizionario d;
        d.FontCharset = 9;
        d.LeggiIntestazioneDiz(u"a#b#Only Name"_s);
        QCOMPARE(d.FontNome, u"Only Name"_s);
        QCOMPARE(d.FontCharset, 9);
        Scrivi(m_dir.filePath("diz.ini"), "5\r\n");
        Scrivi(m_dir.filePath("font.ini"), "Other Font,300\r\n");
        d.CaricaDizionario(true, Percorsi());
        QCOMPARE(d.LinguaCorrente, 0);
        QCOMPARE(DizIni().trimmed(), QByteArray("0"));
        QCOMPARE(d.FontNome, u"Other Font"_s);
        QCOMPARE(d.FontCharset, 0); // 300 is not a character set: the header's stays
    }
};

GASCAL_PROVA(TstDizionario)
#include "tst_dizionario.moc"
