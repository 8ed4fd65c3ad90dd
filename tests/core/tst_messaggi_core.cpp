// The core's messages come in the dictionary's language (English without it); each has its English line.
#include "FileProva.h"
#include "RegistroProve.h"
#include "i18n/Dizionario.h"
#include "i18n/Risorse.h"
#include "i18n/TraduttoreDizionario.h"
#include "interp/FileCampioni.h"
#include "interp/TabelleCampioni.h"
#include <QCoreApplication>
#include <QDirIterator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace gascal;

class TstMessaggiCore : public QObject
{
    Q_OBJECT

    static QString ErroreCampioni(const QString &percorso)
    {
        TabelleCampioni tabelle;
        QString errore;
        FileCampioni::CaricaCampioni(percorso, tabelle, &errore);
        return errore;
    }

private slots:
    void nellaLinguaDelDizionario()
    {
        QTemporaryDir cartella;
        const QString dizIni = cartella.filePath(QStringLiteral("diz.ini"));
        const QString assente = cartella.filePath(QStringLiteral("assente.dat"));
        Scrivi(dizIni, "1\r\n");
        Dizionario diz;
        diz.CaricaDizionario(false, {QString(), dizIni, QString()});

        QVERIFY(ErroreCampioni(assente).startsWith(QStringLiteral("Cannot read the sample file ")));
        {
            TraduttoreDizionario traduttore(diz);
            QCoreApplication::installTranslator(&traduttore);
            const QString italiano = ErroreCampioni(assente);
            QCoreApplication::removeTranslator(&traduttore);
            QVERIFY2(italiano.startsWith(QStringLiteral("Impossibile leggere il file di campioni ")), qPrintable(italiano));
            // A reason of the reader's own, inside the message, too.
            QVERIFY(ErroreCampioni(QString()).endsWith(QStringLiteral("no file was named")));
            QCoreApplication::installTranslator(&traduttore);
            const QString senzaNome = ErroreCampioni(QString());
            QCoreApplication::removeTranslator(&traduttore);
            QVERIFY2(senzaNome.endsWith(QStringLiteral("non è stato indicato alcun file")), qPrintable(senzaNome));
        }
        // A dictionary without the section (an older TEST.DIZ) keeps the English.
        diz.ImpostaTesti({QStringLiteral("[Frm_Barra]"), QStringLiteral("x")});
        TraduttoreDizionario traduttore(diz);
        QCoreApplication::installTranslator(&traduttore);
        const QString inglese = ErroreCampioni(assente);
        QCoreApplication::removeTranslator(&traduttore);
        QVERIFY(inglese.startsWith(QStringLiteral("Cannot read the sample file ")));
    }

    void ogniMessaggioHaLaSuaRiga()
    {
        const QStringList inglese = Risorse::CaricaRisorsa(Dizionario::NumeroRisorsa(Dizionario::Inglese),
                                                           Dizionario::RisorsaDi(Dizionario::Inglese));
        static const QRegularExpression tr(QStringLiteral("TraduttoreDizionario::Tr\\(\"((?:[^\"\\\\]|\\\\.)*)\"\\)"));
        QStringList mancanti;
        int trovati = 0;
        QDirIterator it(QStringLiteral(GASCAL_SOURCE "/src"), {QStringLiteral("*.cpp")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString sorgente = QString::fromUtf8(Leggi(it.next()));
            for (const QRegularExpressionMatch &m : tr.globalMatch(sorgente)) {
                ++trovati;
                if (!inglese.contains(m.captured(1)))
                    mancanti << m.captured(1);
            }
        }
        QVERIFY(trovati > 20);
        QVERIFY2(mancanti.isEmpty(), qPrintable(mancanti.join(QLatin1Char('\n'))));
    }
};

GASCAL_PROVA(TstMessaggiCore)
#include "tst_messaggi_core.moc"
