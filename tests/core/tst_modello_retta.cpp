// The calibration line page's rules without the page: held edits with the
// time given by the test, keys and pivot selection, the two resets with
// their questions, the working point, the proposed corrections and the
// plot's geometry. The line's own arithmetic is tried in tst_retta.
#include "RegistroProve.h"
#include "BancoVirtuale.h"

#include "ui/line/ModelloPaginaRetta.h"

#include <QTest>

using namespace gascal;
using M = ModelloPaginaRetta;
using R = ServiziUi::Risposta;
using O = Operazione;

class TstModelloRetta : public QObject
{
    Q_OBJECT

    std::unique_ptr<BancoVirtuale> banco;
    std::unique_ptr<M> m;
    Contesto &ctx() { return *banco->ctx; }
    ModelloRetta &r() { return ctx().retta; }
    O &op() { return ctx().stato.OperazioneRichiesta; }

private slots:
    void init()
    {
        banco = std::make_unique<BancoVirtuale>();
        QVERIFY(banco->Avvia());
        ctx().stato.StatoProgramma = StatoApp::Connesso;
        r().DefaultRetta();
        m = std::make_unique<M>(ctx());
    }
    void cleanup()
    {
        m.reset();
        banco.reset();
    }

    // A held edit steps at once and every 750 ms after; the line is sent
    // once, when it ends; a held key's auto-repeat adds nothing.
    void heldEdit_data()
    {
        QTest::addColumn<int>("ms");
        QTest::addColumn<int>("passi");
        QTest::newRow("a click") << 100 << 1;
        QTest::newRow("exactly 750 ms") << 750 << 2;
        QTest::newRow("a second") << 1100 << 2;
        QTest::newRow("2.6 s") << 2600 << 4;
    }
    void heldEdit()
    {
        QFETCH(int, ms);
        QFETCH(int, passi);
        const double t0 = 5e6;
        m->SelezionaPivot(5); // point 27
        QVERIFY(m->Tasto(Qt::Key_F7, t0));
        QCOMPARE(r().Retta[27], -1);
        for (int t = 10; t <= ms; t += 10) {
            QVERIFY(!m->Tasto(Qt::Key_F7, t0 + t * 1e3));
            m->Aggiorna(t0 + t * 1e3);
            QCOMPARE(op(), O::Nessuna);
        }
        m->Rilascia();
        QCOMPARE(r().Retta[27], -passi);
        QCOMPARE(op(), O::ScriviRetta);
        QCOMPARE(qint8(ctx().code.DatiMap0.at(27)), -passi);
        // Ended: no more steps; pending: no new edit.
        QVERIFY(!m->Aggiorna(t0 + 1e7) && !m->Premi(ModelloRetta::Alza, t0 + 1e7));
        QCOMPARE(r().Retta[27], -passi);
    }

    void keysAndPivots()
    {
        m->SelezionaPivot(9);
        QVERIFY(m->Tasto(Qt::Key_F9, 0));
        QCOMPARE(r().PivotSel, 0); // round from the 9th to the 1st
        m->SelezionaPivot(0);
        m->SelezionaPivot(10);
        QCOMPARE(r().PivotSel, 0);
        QVERIFY(!m->Tasto(Qt::Key_F4, 0));
        // The first and last pivot never move sideways: no edit, nothing sent.
        for (int n : {1, 9})
            for (int tasto : {Qt::Key_F5, Qt::Key_F6}) {
                m->SelezionaPivot(n);
                QVERIFY(!m->Tasto(tasto, 0));
                m->Rilascia();
                QCOMPARE(r().Pivot, ModelloRetta::PivotDefault);
                QCOMPARE(op(), O::Nessuna);
            }
        // Each key's edit on pivot 4 (point 16); a move refused for a
        // neighbour too near still sends the line.
        const struct { int tasto, pivot, punto, valore; } casi[] = {
            {Qt::Key_F8, 16, 16, 1}, {Qt::Key_F7, 16, 16, 0}, {Qt::Key_F6, 17, 17, 0}, {Qt::Key_F5, 16, 16, 0}};
        m->SelezionaPivot(4);
        for (const auto &c : casi) {
            QVERIFY(m->Tasto(c.tasto, 0));
            m->Rilascia();
            QCOMPARE(r().Pivot[3], c.pivot);
            QCOMPARE(r().Retta[c.punto], c.valore);
            QCOMPARE(op(), O::ScriviRetta);
            op() = O::Nessuna;
        }
        m->SelezionaPivot(3); // point 10, 4 from point 6
        QVERIFY(m->Tasto(Qt::Key_F5, 0));
        m->Rilascia();
        QCOMPARE(r().Pivot[2], 10);
        QCOMPARE(op(), O::ScriviRetta);
        op() = O::Nessuna;
        m->tuttiPunti = true;
        QVERIFY(m->Tasto(Qt::Key_F8, 0));
        QVERIFY(r().Retta[55] == 1 && r().Retta[40] == 1);
    }

    // Reset asks (No by default); reset-all asks, then the fuel; offline
    // the chosen definitions are loaded and named.
    void resets()
    {
        r().Retta.fill(3);
        auto &ui = banco->ui;
        ui.risposte << R::No << R::Si;
        QVERIFY(!m->Reset());
        QCOMPARE(r().Retta[0], 3);
        QVERIFY(ui.mostrati.last().testo.endsWith(ctx().diz.TestoSezione(QStringLiteral("[Frm_Retta]"), 9)));
        QCOMPARE(ui.mostrati.last().predefinito, R::No);
        QVERIFY(m->Reset());
        QCOMPARE(r().Retta, (std::array<qint32, ModelloRetta::NumPunti>{}));
        QCOMPARE(op(), O::ScriviRetta);
        QCOMPARE(ctx().code.DatiMap0, QByteArray(ModelloRetta::NumPunti, '\0'));

        StatoApp &s = ctx().stato;
        QString scelta;
        int aperture = 0;
        const auto sceglie = [&] { ++aperture; return scelta; };
        QVERIFY(!m->ResetAll(sceglie)); // an operation pending: not even asked
        op() = O::Nessuna;
        ui.risposte << R::No << R::Si;
        QVERIFY(!m->ResetAll(sceglie) && !m->ResetAll(sceglie));
        QCOMPARE(ui.mostrati.last().predefinito, R::No);
        QCOMPARE(aperture, 1);
        QVERIFY(s.FileDefinizioni.isEmpty() && op() == O::Nessuna);
        s.StatoProgramma = StatoApp::Offline;
        scelta = ctx().imp.FileDefCng;
        ui.risposte << R::Si;
        QVERIFY(m->ResetAll(sceglie));
        QCOMPARE(op(), O::CaricaMappa);
        QVERIFY(s.FileDefinizioni == scelta && s.FileDefOffline == scelta);
        QCOMPARE(s.TitoloFile, QStringLiteral(" - [def_cng.xar] "));
    }

    void workingPointAndMarkers()
    {
        auto &live = ctx().TabMsg[Contesto::RecLive].Valori;
        live[6] = 1;
        live[11] = 99;
        live[3] = -96; // -1.5 steps: 4440 + 45
        int cambi = 0;
        for (int i = 0; i < 7; ++i) {
            const int fase = m->FaseCalib();
            live[1] = 1000 * (i + 1);
            m->AggiornaCursore(1e6 + i * 100e3); // phases at 0, 0.3 and 0.6 s
            cambi += fase != m->FaseCalib();
        }
        QCOMPARE(cambi, 3);
        QVERIFY(m->CursoreVisibile());
        QCOMPARE(m->CursorePunto(), 55);
        QCOMPARE(m->CursoreY(), 4485);
        QCOMPARE(m->TestoTempoBenzina(), ModelloRetta::TestoMs(5000, 1, ctx().imp.SepDecimale) + QStringLiteral(" (ms) "));
        live[6] = 0;
        m->AggiornaCursore(2e6);
        QVERIFY(!m->CursoreVisibile());

        // Proposed corrections stay put while the line is edited towards them.
        r().Retta[12] = 2;
        m->MostraCorrezioniProposte({{12, 128}, {13, 0}, {70, 64}, {40, -32}});
        const QVector<QPair<int, double>> attesi{{12, 4.0}, {40, -0.5}};
        QCOMPARE(m->Marcatori(), attesi);
        m->SelezionaPivot(3);
        m->Premi(ModelloRetta::Alza, 0);
        QCOMPARE(m->Marcatori(), attesi);
    }

    // A click on a bar near a pivot, on one far from every pivot, on the
    // background; the automatic range fills the plot and a click still
    // finds the pivot on its taller bar.
    void clickAndAutomaticRange()
    {
        const QRect b17 = M::RettangoloPunto(17, 0), b21 = M::RettangoloPunto(21, 0), b35 = M::RettangoloPunto(35, 0);
        QCOMPARE(m->PivotAlClic(b17.center().x(), b17.center().y()), 3);
        QCOMPARE(m->PivotAlClic(b21.center().x(), b21.center().y()), -1);
        QCOMPARE(m->PivotAlClic(b35.left() + 1.5 * b35.width(), 8000), 5);
        QCOMPARE(m->PivotAlClic(b35.left() + 2.5 * b35.width(), 8000), -1);

        for (int i = 0; i < ModelloRetta::NumPunti; ++i)
            r().Retta[i] = (i % 7) - 3; // -0.19 .. +0.19 ms
        QCOMPARE(m->Zoom(), 1.0);
        m->adatta = true;
        QCOMPARE(m->Zoom(), M::ZoomMassimo);
        r().Retta[20] = 40;
        QVERIFY2(m->Zoom() > 2 && m->Zoom() < M::ZoomMassimo, qPrintable(QString::number(m->Zoom())));
        const QRectF alta = m->BarraDisegnata(20, 40);
        QVERIFY(M::Sfondo.contains(alta.toRect()));
        QVERIFY(alta.top() < M::Sfondo.top() + 600); // near the top: the room is used
        QVERIFY(M::Sfondo.contains(m->BarraDisegnata(3, -3).toRect()));
        r().Pivot[3] = 20;
        QCOMPARE(m->PivotAlClic(alta.center().x(), alta.top() + 20), 3);
        r().Retta[20] = 120;
        QCOMPARE(m->Zoom(), 1.0);
    }
};

GASCAL_PROVA(TstModelloRetta)
#include "tst_modello_retta.moc"
