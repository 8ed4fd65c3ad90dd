// The program's cycle without an ECU on the link: which state each request
// leads to, what the front end is told and in which order, and that a
// request is carried out once and cleared.
#include "RegistroProve.h"
#include "app/CicloProgramma.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "app/VistaCiclo.h"

#include <QTest>

using namespace gascal;

namespace {

// Writes down what the cycle told it, one word per hook.
struct VistaRegistro : VistaCiclo {
    QStringList eventi;
    bool taratura = false;
    QList<EsitoOperazione> esiti;
    void InizioOffline() override { eventi << "offline"; }
    void PassoOffline() override { eventi << "passo-offline"; }
    void PrimaDellaChiusura() override { eventi << "prima-chiusura"; }
    void Chiusura() override { eventi << "chiusura"; }
    void Collegato() override { eventi << "collegato"; }
    void InizioOperazione() override { eventi << "inizio-op"; }
    void FineOperazione(const EsitoOperazione &e) override
    {
        eventi << "fine-op";
        esiti << e;
    }
    bool PassoTaratura() override
    {
        eventi << "taratura";
        return taratura;
    }
    void ScrittureScartate(Operazione o) override
    {
        if (o != Operazione::Nessuna)
            eventi << QStringLiteral("scartata-%1").arg(static_cast<int>(o));
    }
};

struct Banco {
    ServiziUiScriptati ui;
    Contesto ctx{ui};
    VistaRegistro vista;
    CicloProgramma ciclo{ctx, vista};
    Banco() { ctx.stato.StatoProgramma = StatoApp::Connesso; }
};

} // namespace

class TstCiclo : public QObject
{
    Q_OBJECT
private slots:
    void richiesteEStati_data()
    {
        QTest::addColumn<QString>("richiesta");
        QTest::addColumn<int>("stato");
        QTest::addColumn<QStringList>("eventi");
        QTest::newRow("offline") << "offline" << int(StatoApp::Offline)
                                 << QStringList{"offline", "passo-offline"};
        QTest::newRow("exit") << "uscita" << int(StatoApp::Chiusura)
                              << QStringList{"prima-chiusura", "chiusura"};
        // The restore goes before the close: the ECU is put back first.
        QTest::newRow("exit with a journal to put back")
            << "uscita+ripristino" << int(StatoApp::Chiusura)
            << QStringList{"prima-chiusura", "inizio-op", "fine-op", "chiusura"};
        QTest::newRow("autotuning without a run") << "taratura" << int(StatoApp::Connesso)
                                                  << QStringList{"taratura"};
        QTest::newRow("autotuning running") << "taratura+corsa" << int(StatoApp::Autotuning)
                                            << QStringList{"taratura"};
    }
    void richiesteEStati()
    {
        QFETCH(QString, richiesta);
        QFETCH(int, stato);
        QFETCH(QStringList, eventi);
        Banco b;
        StatoApp &s = b.ctx.stato;
        if (richiesta == "offline")
            s.LavoroOffline = 1;
        if (richiesta.startsWith("uscita"))
            s.UscitaRichiesta = 1;
        if (richiesta.endsWith("ripristino"))
            s.RipristinoRichiesto = 1;
        if (richiesta.startsWith("taratura"))
            s.AutotuningRichiesto = 1;
        b.vista.taratura = richiesta.endsWith("corsa");
        b.ciclo.Passo();
        QCOMPARE(s.StatoProgramma, stato);
        QCOMPARE(b.vista.eventi, eventi);
        QCOMPARE(s.LavoroOffline + s.AutotuningRichiesto, 0); // taken once
    }

    // A pending request runs once, between two polls, and is cleared even
    // when the ECU does not take it; the front end hears how it ended.
    void operazioneUnaVolta()
    {
        Banco b;
        StatoApp &s = b.ctx.stato;
        s.RichiediOperazione(Operazione::CommutaStato);
        b.ciclo.Passo();
        QCOMPARE(b.vista.eventi, (QStringList{"collegato", "inizio-op", "fine-op"}));
        QCOMPARE(b.vista.esiti.size(), 1);
        QCOMPARE(b.vista.esiti.first().operazione, Operazione::CommutaStato);
        QVERIFY(!b.vista.esiti.first().riuscita);
        QVERIFY(!s.OperazioneInAttesa());
        QCOMPARE(s.StatoProgramma, int(StatoApp::Connesso));
    }

    // The search drops what was chosen for the ECU that went away, a map
    // save (it only reads) excepted.
    void ricercaScartaLeScritture()
    {
        Banco b;
        StatoApp &s = b.ctx.stato;
        s.RichiediOperazione(Operazione::ScriviRetta);
        s.UscitaRichiesta = 1; // the search gives up at once
        b.ciclo.Ricerca(1);
        QVERIFY(!s.OperazioneInAttesa());
        QCOMPARE(b.vista.eventi.first(), QStringLiteral("scartata-8"));

        Banco c;
        c.ctx.stato.RichiediOperazione(Operazione::SalvaMappa);
        c.ctx.stato.UscitaRichiesta = 1;
        c.ciclo.Ricerca(1);
        QCOMPARE(c.ctx.stato.OperazioneRichiesta, Operazione::SalvaMappa);
    }
};

GASCAL_PROVA(TstCiclo)
#include "tst_ciclo.moc"
