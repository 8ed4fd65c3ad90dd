#include "RegistroProve.h"
#include "i18n/Dizionario.h"
#include "i18n/Risorse.h"

#include "FileProva.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace gascal;

namespace {

const QStringList Sezioni{"[Frm_Barra]",      "[Frm_Config]",     "[Frm_Congif_2]", "[Frm_Retta]",
                          "[Frm_AutoTuning]", "[Frm_Interpola]",  "[Frm_SelAlim]",  "[Frm_Grafico]",
                          "[Frm_Datalog]",    "[Frm_Confronto]"};
// The windows added last, with the number of texts each reads: their
// sections close the files, in this order.
const QList<std::pair<QString, int>> SezioniNuove{
    {"[Frm_Grafico]", 25}, {"[Frm_Datalog]", 7}, {"[Frm_Confronto]", 9},
    {"[Frm_Stato]", 13}, {"[Frm_Barra_2]", 33}, {"[Frm_AutoTuning_2]", 2}, {"[Frm_Retta_2]", 9},
    {"[Frm_Wait_2]", 14}, {"[Frm_Grafico_2]", 8}, {"[Frm_Config_Note]", 1}, {"[Frm_Interpola_2]", 7},
    {"[Ripristino]", 11}};
} // namespace

class TstDizionario : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    Dizionario::Percorsi Percorsi() const
    {
        return {m_dir.filePath("TEST.DIZ"), m_dir.filePath("diz.ini"), m_dir.filePath("font.ini")};
    }

private slots:
    void init()
    {
        for (const char *nome : {"TEST.DIZ", "diz.ini", "font.ini"})
            QFile::remove(m_dir.filePath(nome));
    }

    void firstStartIsEnglishAndRemembered()
    {
        Dizionario d;
        QVERIFY(d.CaricaDizionario(false, Percorsi()));
        QCOMPARE(d.Testo(0), QStringLiteral("GasCal"));
        QCOMPARE(Leggi(m_dir.filePath("diz.ini")).trimmed(), QByteArray("0"));
        QCOMPARE(d.LinguaCorrente, int(Dizionario::Inglese));
    }

    void nextLanguageCyclesThroughAllSix()
    {
        Dizionario d;
        d.CaricaDizionario(false, Percorsi());
        QSet<QString> fonts;
        for (int passo = 1; passo <= 6; ++passo) {
            d.CaricaDizionario(true, Percorsi());
            QCOMPARE(d.LinguaCorrente, passo % 6);
            QCOMPARE(Leggi(m_dir.filePath("diz.ini")).trimmed(), QByteArray::number(passo % 6));
            QCOMPARE(d.Testo(0), QStringLiteral("GasCal"));
            fonts.insert(d.FontNome);
        }
        QVERIFY(fonts.contains(QStringLiteral("Loma"))); // Thai needs its own font
    }

    void everyLanguageHasEveryText()
    {
        QStringList inglese = Risorse::CaricaRisorsa(105, QStringLiteral("DIZ_ENG"));
        QVERIFY(inglese.size() > 50);
        for (int lingua = 0; lingua < Dizionario::NumeroLingue; ++lingua) {
            const QStringList righe = Risorse::CaricaRisorsa(Dizionario::NumeroRisorsa(lingua),
                                                             Dizionario::RisorsaDi(lingua));
            QCOMPARE(righe.size(), inglese.size());
            for (const QString &sezione : Sezioni)
                QCOMPARE(righe.indexOf(sezione), inglese.indexOf(sezione));
            for (qsizetype i = 2; i < righe.size() - 1; ++i)
                QVERIFY2(!righe.at(i).trimmed().isEmpty() || inglese.at(i).trimmed().isEmpty(),
                         qPrintable(QStringLiteral("%1 line %2 is empty").arg(Dizionario::RisorsaDi(lingua)).arg(i)));
        }
        for (const QString &sezione : Sezioni)
            QVERIFY2(inglese.contains(sezione), qPrintable(sezione));
        // The autotuning window reads texts up to +45 of its section.
        const qsizetype at = inglese.indexOf(QStringLiteral("[Frm_AutoTuning]"));
        QVERIFY(at + 45 < inglese.size());
        QVERIFY(!inglese.mid(at + 1, 45).contains(QStringLiteral("[Frm_Interpola]")));
    }

    // Every text of the chart, datalog and compare windows is there in every
    // language: no empty line, no list separator, the placeholder kept, and
    // the sections end exactly where the files end (a last line without its
    // CR LF would be lost).
    void newWindowsHaveEveryTextInEveryLanguage()
    {
        const QStringList inglese = Risorse::CaricaRisorsa(105, QStringLiteral("DIZ_ENG"));
        QCOMPARE(inglese.size(), 294);
        for (int lingua = 0; lingua < Dizionario::NumeroLingue; ++lingua) {
            const QString nome = Dizionario::RisorsaDi(lingua);
            const QStringList righe = Risorse::CaricaRisorsa(Dizionario::NumeroRisorsa(lingua), nome);
            QCOMPARE(righe.size(), inglese.size());
            qsizetype attesa = righe.indexOf(SezioniNuove.first().first);
            QCOMPARE(attesa, qsizetype(143));
            for (const auto &[sezione, testi] : SezioniNuove) {
                QCOMPARE(righe.indexOf(sezione), attesa);
                for (int k = 1; k <= testi; ++k) {
                    const QString &testo = righe.at(attesa + k);
                    const QString dove = QStringLiteral("%1 %2 +%3").arg(nome, sezione).arg(k);
                    QVERIFY2(!testo.trimmed().isEmpty() && !testo.startsWith(QLatin1Char('[')),
                             qPrintable(dove + QStringLiteral(" is missing")));
                    QVERIFY2(!testo.contains(QLatin1Char('|')), qPrintable(dove + QStringLiteral(" holds |")));
                    QVERIFY2(testo.contains(QLatin1String("%1")) == inglese.at(attesa + k).contains(QLatin1String("%1")),
                             qPrintable(dove + QStringLiteral(" placeholder")));
                }
                attesa += testi + 1;
            }
            QCOMPARE(attesa, righe.size());
        }
    }

    void testDictionaryWinsAndIgnoresNext()
    {
        Scrivi(m_dir.filePath("TEST.DIZ"), "x#y#Test Font#7\r\nTitle\r\nOne\r\n");
        Scrivi(m_dir.filePath("diz.ini"), "3\r\n");
        Dizionario d;
        d.CaricaDizionario(true, Percorsi());
        QCOMPARE(d.Testo(0), QStringLiteral("Title #TEST.DIZ# "));
        QCOMPARE(d.Testo(1), QStringLiteral("One"));
        QCOMPARE(d.FontNome, QStringLiteral("Test Font"));
        QCOMPARE(d.FontCharset, 7);
        QCOMPARE(Leggi(m_dir.filePath("diz.ini")), QByteArray("3\r\n")); // untouched
    }

    void headerAndFontOverrides()
    {
        Dizionario d;
        d.FontCharset = 9;
        d.LeggiIntestazioneDiz(QStringLiteral("a#b#Only Name"));
        QCOMPARE(d.FontNome, QStringLiteral("Only Name"));
        QCOMPARE(d.FontCharset, 9);
        Scrivi(m_dir.filePath("diz.ini"), "5\r\n");
        Scrivi(m_dir.filePath("font.ini"), "Other Font,300\r\n");
        d.CaricaDizionario(true, Percorsi());
        QCOMPARE(d.LinguaCorrente, 0);
        QCOMPARE(Leggi(m_dir.filePath("diz.ini")).trimmed(), QByteArray("0"));
        QCOMPARE(d.FontNome, QStringLiteral("Other Font"));
        QCOMPARE(d.FontCharset, 0); // 300 is not a character set: the header's stays
    }

    void resourceLinesEndAtTheLastCrLf()
    {
        QCOMPARE(Risorse::RigheDaByte("abc"), QStringList{QString()});
        QCOMPARE(Risorse::RigheDaByte("not hex\r\ntail").size(), 1);
    }
};

GASCAL_PROVA(TstDizionario)
#include "tst_dizionario.moc"
