// `gascal-cli samples` in-process through the virtual ECU's road cycle on the stepped clock.
#include "RegistroProve.h"
#include "BancoVirtuale.h"
#include "Comandi.h"
#include "SessioneCli.h"
#include "TabelleProva.h"

#include "interp/FileCampioni.h"
#include "interp/Interpolazione.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace gascal;
using namespace Qt::StringLiterals;
using T = TabelleCampioni;

namespace {

// The tool's session on the bench's folder and ECU.
struct Strumento {
    BancoVirtuale banco;
    cli::SessioneCli sessione;

    bool Avvia()
    {
        banco.Aggancia(sessione.ctx);
        return sessione.Avvia(banco.Cartella());
    }
    int Campiona(int secondi, int timeoutSec = 10)
    {
        cli::OpzioniCampioni o;
        o.out = banco.Percorso(u"strada.cmp"_s);
        o.secondi = secondi;
        o.stabilitaMs = 1000;
        return cli::ComandoCampioniLive(sessione, timeoutSec, o);
    }
};

} // namespace

class TstStradaVirtuale : public QObject
{
    Q_OBJECT
private slots:
    void cicloStradale()
    {
        Strumento s;
        QVERIFY(s.Avvia());
        // 37 steps of 2.5 s once the tool samples: petrol, the switch, gas, idle.
        s.banco.Tra(4000, [&s] { s.banco.Controllo(u"road 2.5"_s); });
        QCOMPARE(s.Campiona(37 * 5 / 2 + 6), 0);

        T t;
        QVERIFY(FileCampioni::CaricaCampioni(s.banco.Percorso(u"strada.cmp"_s), t));
        QVERIFY2(Righe(t[T::BeM]) >= 14 && Righe(t[T::GaM]) >= 14, qPrintable(t.Testo()));
        // All three speed bands were driven on both fuels.
        for (int k : {T::Be0, T::Be1, T::Be2, T::Ga0, T::Ga1, T::Ga2})
            QVERIFY2(Righe(t[k]) >= 4, T::Nomi[k]);

        // The ECU has its pressure sensor and end-of-gas management back.
        QCOMPARE(s.banco.ValoreEcu(Contesto::RecConfig, 25), 1);
        QCOMPARE(s.banco.ValoreEcu(Contesto::RecConfig, 12) & 1, 1);

        // On gas the car's ECU trims the mixture: the samples propose corrections.
        Contesto analisi(s.banco.ui);
        analisi.campioni = t;
        Interpolazione modello(analisi);
        modello.ImpostaFileMemo({});
        modello.Calcola(false);
        QVERIFY2(modello.Marcatori().size() >= 2, qPrintable(QString::number(modello.Marcatori().size())));
    }

    void cablePulledKeepsTheSamplesAndPutsTheEcuBack()
    {
        Strumento s;
        QVERIFY(s.Avvia());
        const qint32 sensore = s.banco.ValoreEcu(Contesto::RecConfig, 25);
        const qint32 abilitazioni = s.banco.ValoreEcu(Contesto::RecConfig, 12);
        QVERIFY(sensore != 0 && (abilitazioni & 1));
        // Half a second into the interpolation mode, the cable out for three.
        bool staccato = false;
        std::function<void()> guarda = [&] {
            if (s.banco.ValoreEcu(Contesto::RecConfig, 25) != 0)
                return s.banco.Tra(100, guarda);
            s.banco.Tra(500, [&] {
                staccato = s.banco.Controllo(u"unplug"_s) == "ok"_L1;
                s.banco.Tra(3000, [&] { s.banco.Controllo(u"plug"_s); });
            });
        };
        s.banco.Tra(100, guarda);
        QCOMPARE(s.Campiona(60, 20), 1);
        QVERIFY(staccato);
        QCOMPARE(s.banco.ValoreEcu(Contesto::RecConfig, 25), sensore);
        QCOMPARE(s.banco.ValoreEcu(Contesto::RecConfig, 12), abilitazioni);
        QVERIFY(QFileInfo::exists(s.banco.Percorso(u"strada.cmp"_s)));
        QVERIFY(QDir(s.banco.Percorso(u"Data"_s)).entryList({u"restore_*"_s}).isEmpty());
    }
};

GASCAL_PROVA(TstStradaVirtuale)
#include "tst_strada_virtuale.moc"
