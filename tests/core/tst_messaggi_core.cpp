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
using namespace Qt::StringLiterals;

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
        Scrivi(cartella.filePath(u"diz.ini"_s), "1\r\n");
        Dizionario diz;
        diz.CaricaDizionario(false, {QString(), cartella.filePath(u"diz.ini"_s), QString()});
        const QString assente = cartella.filePath(u"assente.dat"_s);
        const auto tradotto = [&diz](const QString &percorso) {
            TraduttoreDizionario traduttore(diz);
            QCoreApplication::installTranslator(&traduttore);
            const QString testo = ErroreCampioni(percorso);
            QCoreApplication::removeTranslator(&traduttore);
            return testo;
        };
        // The reader's own reason inside the message is translated too.
        QVERIFY(ErroreCampioni(assente).startsWith(u"Cannot read the sample file "_s));
        QVERIFY(ErroreCampioni(QString()).endsWith(u"no file was named"_s));
        QVERIFY2(tradotto(assente).startsWith(u"Impossibile leggere il file di campioni "_s), qPrintable(tradotto(assente)));
        QVERIFY2(tradotto(QString()).endsWith(u"non è stato indicato alcun file"_s), qPrintable(tradotto(QString())));
        // A dictionary without the section (an older TEST.DIZ) keeps the English.
        diz.ImpostaTesti({u"[Frm_Barra]"_s, u"x"_s});
        QVERIFY(tradotto(assente).startsWith(u"Cannot read the sample file "_s));
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
