// The calibration line page's rules without the page.
#include "RegistroProve.h"
#include "BancoVirtuale.h"
#include "ui/line/ModelloPaginaRetta.h"
#include <QTest>

using namespace gascal;
using M = ModelloPaginaRetta;
using R = ServiziUi::Risposta;
using O = Operazione;

namespace {
// The program folder's settings, connected, the line flat.
struct Pagina {
    BancoVirtuale banco;
    Contesto &ctx = *banco.ctx;
    ModelloRetta &r = ctx.retta;
    O &op = ctx.stato.OperazioneRichiesta;
    std::unique_ptr<M> m;
    Pagina()
    {
        QVERIFY(banco.Avvia());
        ctx.stato.StatoProgramma = StatoApp::Connesso;
        r.DefaultRetta();
        m = std::make_unique<M>(ctx);
    }
    // Presses a key and ends the edit at once; true when it made one.
    bool Tasto(int tasto)
    {
        const bool fatto = m->Tasto(tasto, 0);
        m->Rilascia();
        return fatto;
    }
};
} // namespace

class TstModelloRetta : public QObject
{
    Q_OBJECT
private slots:
    // A held edit steps at once and every 750 ms; the line is sent once at its end; auto-repeat adds nothing.
    void heldEdit()
    {
        for (const auto &[ms, passi] : {std::pair{100, 1}, {750, 2}, {1100, 2}, {2600, 4}}) {
            Pagina p;
            const double t0 = 5e6;
            p.m->SelezionaPivot(5); // point 27
            QVERIFY(p.m->Tasto(Qt::Key_F7, t0) && p.r.Retta[27] == -1);
            for (int t = 10; t <= ms; t += 10) {
                QVERIFY(!p.m->Tasto(Qt::Key_F7, t0 + t * 1e3));
                p.m->Aggiorna(t0 + t * 1e3);
                QCOMPARE(p.op, O::Nessuna);
            }
            p.m->Rilascia();
            QVERIFY2(p.r.Retta[27] == -passi && p.op == O::ScriviRetta, qPrintable(QString::number(ms)));
            QCOMPARE(qint8(p.ctx.code.DatiMap0.at(27)), -passi);
            // Ended: no more steps; pending: no new edit.
            QVERIFY(!p.m->Aggiorna(t0 + 1e7) && !p.m->Premi(ModelloRetta::Alza, t0 + 1e7) && p.r.Retta[27] == -passi);
        }
    }
    void keysAndPivots()
    {
        Pagina p;
        p.m->SelezionaPivot(9);
        QVERIFY(p.Tasto(Qt::Key_F9) && p.r.PivotSel == 0); // round from the 9th to the 1st
        p.m->SelezionaPivot(0);
        p.m->SelezionaPivot(10);
        QVERIFY(p.r.PivotSel == 0 && !p.Tasto(Qt::Key_F4));
        // The first and last pivot never move sideways: no edit, nothing sent.
        for (int n : {1, 9})
            for (int tasto : {Qt::Key_F5, Qt::Key_F6}) {
                p.m->SelezionaPivot(n);
                QVERIFY(!p.Tasto(tasto) && p.r.Pivot == ModelloRetta::PivotDefault && p.op == O::Nessuna);
            }
        // Each key's edit on pivot 4, sent; a refused sideways move still sends; the whole line moves every point.
        const struct { int pivot, tasto, indice, punto, valore; } casi[] = {
            {4, Qt::Key_F8, 3, 16, 1}, {4, Qt::Key_F7, 3, 16, 0}, {4, Qt::Key_F6, 3, 17, 0}, {4, Qt::Key_F5, 3, 16, 0},
            {3, Qt::Key_F5, 2, 10, 0}};
        for (const auto &c : casi) {
            p.m->SelezionaPivot(c.pivot);
            QVERIFY(p.Tasto(c.tasto) && p.op == O::ScriviRetta);
            QVERIFY(p.r.Pivot[c.indice] == c.punto && p.r.Retta[c.punto] == c.valore);
            p.op = O::Nessuna;
        }
        p.m->tuttiPunti = true;
        QVERIFY(p.Tasto(Qt::Key_F8) && p.r.Retta[55] == 1 && p.r.Retta[40] == 1);
    }
    // Reset asks (No default); reset-all asks, then the fuel; offline the definitions are loaded and named.
    void resets()
    {
        Pagina p;
        p.r.Retta.fill(3);
        auto &ui = p.banco.ui;
        ui.risposte << R::No << R::Si;
        QVERIFY(!p.m->Reset() && p.r.Retta[0] == 3);
        QVERIFY(ui.mostrati.last().testo.endsWith(p.ctx.diz.TestoSezione(QStringLiteral("[Frm_Retta]"), 9)));
        QCOMPARE(ui.mostrati.last().predefinito, R::No);
        QVERIFY(p.m->Reset() && p.op == O::ScriviRetta);
        QCOMPARE(p.r.Retta, (std::array<qint32, ModelloRetta::NumPunti>{}));
        QCOMPARE(p.ctx.code.DatiMap0, QByteArray(ModelloRetta::NumPunti, '\0'));
        StatoApp &s = p.ctx.stato;
        QString scelta;
        int aperture = 0;
        const auto sceglie = [&] { ++aperture; return scelta; };
        QVERIFY(!p.m->ResetAll(sceglie)); // an operation pending: not even asked
        p.op = O::Nessuna;
        ui.risposte << R::No << R::Si;
        QVERIFY(!p.m->ResetAll(sceglie) && !p.m->ResetAll(sceglie));
        QVERIFY(ui.mostrati.last().predefinito == R::No && aperture == 1);
        QVERIFY(s.FileDefinizioni.isEmpty() && p.op == O::Nessuna);
        s.StatoProgramma = StatoApp::Offline;
        scelta = p.ctx.imp.FileDefCng;
        ui.risposte << R::Si;
        QVERIFY(p.m->ResetAll(sceglie) && p.op == O::CaricaMappa);
        QVERIFY(s.FileDefinizioni == scelta && s.FileDefOffline == scelta);
        QCOMPARE(s.TitoloFile, QStringLiteral(" - [def_cng.xar] "));
    }
    void workingPointAndMarkers()
    {
        Pagina p;
        auto &live = p.ctx.TabMsg[Contesto::RecLive].Valori;
        live[6] = 1;
        live[11] = 99;
        live[3] = -96; // -1.5 steps: 4440 + 45
        int cambi = 0;
        for (int i = 0; i < 7; ++i) {
            const int fase = p.m->FaseCalib();
            live[1] = 1000 * (i + 1);
            p.m->AggiornaCursore(1e6 + i * 100e3); // phases at 0, 0.3 and 0.6 s
            cambi += fase != p.m->FaseCalib();
        }
        QVERIFY(cambi == 3 && p.m->CursoreVisibile() && p.m->CursorePunto() == 55 && p.m->CursoreY() == 4485);
        QCOMPARE(p.m->TestoTempoBenzina(), ModelloRetta::TestoMs(5000, 1, p.ctx.imp.SepDecimale) + QStringLiteral(" (ms) "));
        live[6] = 0;
        p.m->AggiornaCursore(2e6);
        QVERIFY(!p.m->CursoreVisibile());
        // Proposed corrections stay put while the line is edited towards them.
        p.r.Retta[12] = 2;
        p.m->MostraCorrezioniProposte({{12, 128}, {13, 0}, {70, 64}, {40, -32}});
        const QVector<QPair<int, double>> attesi{{12, 4.0}, {40, -0.5}};
        QCOMPARE(p.m->Marcatori(), attesi);
        p.m->SelezionaPivot(3);
        p.m->Premi(ModelloRetta::Alza, 0);
        QCOMPARE(p.m->Marcatori(), attesi);
    }
    // Clicks near a pivot, far from all, on the background; the automatic range still finds the pivot.
    void clickAndAutomaticRange()
    {
        Pagina p;
        const QRect b17 = M::RettangoloPunto(17, 0), b21 = M::RettangoloPunto(21, 0), b35 = M::RettangoloPunto(35, 0);
        QCOMPARE(p.m->PivotAlClic(b17.center().x(), b17.center().y()), 3);
        QCOMPARE(p.m->PivotAlClic(b21.center().x(), b21.center().y()), -1);
        QCOMPARE(p.m->PivotAlClic(b35.left() + 2.5 * b35.width(), 8000), -1);
        for (int i = 0; i < ModelloRetta::NumPunti; ++i)
            p.r.Retta[i] = (i % 7) - 3; // -0.19 .. +0.19 ms
        QCOMPARE(p.m->Zoom(), 1.0);
        p.m->adatta = true;
        QCOMPARE(p.m->Zoom(), M::ZoomMassimo);
        p.r.Retta[20] = 40;
        QVERIFY2(p.m->Zoom() > 2 && p.m->Zoom() < M::ZoomMassimo, qPrintable(QString::number(p.m->Zoom())));
        const QRectF alta = p.m->BarraDisegnata(20, 40);
        QVERIFY(M::Sfondo.contains(alta.toRect()) && M::Sfondo.contains(p.m->BarraDisegnata(3, -3).toRect()));
        QVERIFY(alta.top() < M::Sfondo.top() + 600); // near the top: the room is used
        p.r.Pivot[3] = 20;
        QCOMPARE(p.m->PivotAlClic(alta.center().x(), alta.top() + 20), 3);
        p.r.Retta[20] = 120;
        QCOMPARE(p.m->Zoom(), 1.0);
    }
};

GASCAL_PROVA(TstModelloRetta)
#include "tst_modello_retta.moc"
