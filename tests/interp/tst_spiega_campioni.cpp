// What the interpolation window says while it has no correction to show.
#include "RegistroProve.h"
#include "i18n/Dizionario.h"
#include "i18n/Risorse.h"
#include "interp/SpiegaCampioni.h"

#include <QTest>

using namespace gascal;

class TstSpiegaCampioni : public QObject
{
    Q_OBJECT
private slots:
    void righeEdAttesa()
    {
        Dizionario diz;
        diz.ImpostaTesti(Risorse::CaricaRisorsa(Dizionario::NumeroRisorsa(Dizionario::Italiano),
                                                Dizionario::RisorsaDi(Dizionario::Italiano))
                             .mid(2));
        TabelleCampioni t;
        QVector<qint32> deflessione(56, 0);
        QString m = SpiegaCampioni::Motivo(diz, t, deflessione, 2000);
        QVERIFY2(m.contains(QStringLiteral("Righe con campioni a benzina: nessuna")), qPrintable(m));
        QVERIFY(m.contains(QStringLiteral("Righe con campioni a gas: nessuna")));
        QVERIFY(m.contains(QStringLiteral("2000 ms")));

        for (int r : {3, 4, 5, 9})
            t[TabelleCampioni::BeM][r] = 2500 + r;
        t[TabelleCampioni::GaM][12] = 4000;
        m = SpiegaCampioni::Motivo(diz, t, deflessione, 3000);
        QVERIFY2(m.contains(QStringLiteral("benzina: 3-5, 9")), qPrintable(m));
        QVERIFY(m.contains(QStringLiteral("gas: 12")));
        QVERIFY(m.contains(QStringLiteral("3000 ms")));
        // A band table does not count: only the means make a curve.
        t[TabelleCampioni::Ga1][20] = 4100;
        QVERIFY(SpiegaCampioni::Motivo(diz, t, deflessione, 3000).contains(QStringLiteral("gas: 12\n")));

        // Once a correction exists there is nothing to explain.
        deflessione[10] = -128;
        QVERIFY(SpiegaCampioni::Motivo(diz, t, deflessione, 3000).isEmpty());
        QCOMPARE(SpiegaCampioni::Righe(t[TabelleCampioni::BeM]), QStringLiteral("3-5, 9"));
        t[TabelleCampioni::BeM][0] = 1;
        t[TabelleCampioni::BeM][43] = 1;
        QCOMPARE(SpiegaCampioni::Righe(t[TabelleCampioni::BeM]), QStringLiteral("0, 3-5, 9, 43"));
    }
};

GASCAL_PROVA(TstSpiegaCampioni)
#include "tst_spiega_campioni.moc"
