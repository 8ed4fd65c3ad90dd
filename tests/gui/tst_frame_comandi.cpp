// The command bar and the page cycle on a frame connected to ecusim.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "app/FileSistema.h"
#include "autotune/FrmAutotuning.h"
#include "datalog/FormatoLive.h"
#include "ui/line/FrmRetta.h"
#include "ui/common/QtServiziUi.h"
#include "ui/config/FrmConfig.h"
#include "ui/config/FrmConfig_2.h"
#include "ui/main/ControlliDatalog.h"
#include "ui/main/FrmBar.h"
#include "ui/main/FrmGrafico.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace gascal;

class TstFrameComandi : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cicloPagine();
    void filtriDeiDialoghiComeScritti();
    void finestraInformazioni();
    void salvataggioMappaConSovrascrittura();
    void mappaDanneggiataRifiutata();
    void lingueEFont();
    void graficoERegistrazioneCambianoLingua();

private:
    std::unique_ptr<ProgrammaProva> p;
    PaginaEditor *Pagina(int n) const
    {
        PaginaEditor *pagine[] = {p->frame->FrmConfig(), p->frame->FrmConfig_2()};
        return pagine[n];
    }
    // A list of a configuration page, emptied of its selection so that a
    // refresh shows in it again.
    ListaScelte &ListaSvuotata(int n) const
    {
        ListaScelte &l = n == 0 ? static_cast<FrmConfig *>(Pagina(0))->Logica.Liste[LogicaCommutazione::CmbFattore]
                                : static_cast<FrmConfig_2 *>(Pagina(1))->Logica.Liste[LogicaIniettori::CmbTipoAlim];
        l.Selezione = -1;
        return l;
    }
    QWidget *Retta() const { return p->frame->FrmRetta(); }
    QString Sezione(int k) const { return p->ctx.diz.TestoSezione(QStringLiteral("[Frm_Barra]"), k); }
};

void TstFrameComandi::initTestCase()
{
    p = std::make_unique<ProgrammaProva>();
    QCOMPARE(p->AvviaEcu(), QString());
    QVERIFY(p->AvviaProgramma());
    QVERIFY(p->AttendiStato(StatoApp::Connesso));
}

void TstFrameComandi::cleanupTestCase()
{
    p.reset();
}

void TstFrameComandi::cicloPagine()
{
    QCOMPARE(p->ctx.stato.PaginaCorrente, 0);
    QVERIFY(Pagina(0)->isVisible() && !Pagina(1)->isVisible() && !Retta()->isVisible());
    // The pages fill the frame right of the bar.
    QCOMPARE(Pagina(0)->x(), p->frame->Barra()->width());

    const ListaScelte &lista1 = ListaSvuotata(1);
    QTest::mouseClick(p->frame->Barra()->CmdPage, Qt::LeftButton);
    QCOMPARE(p->ctx.stato.PaginaCorrente, 1);
    QVERIFY(!Pagina(0)->isVisible() && Pagina(1)->isVisible() && !Retta()->isVisible());
    QCOMPARE(lista1.Selezione, 0); // refreshed: LPG

    // F2 released anywhere in the frame turns the page too; the line page
    // reloads the line from the ECU's images.
    p->ctx.retta.Retta[0] = 99;
    QTest::keyRelease(p->frame.get(), Qt::Key_F2);
    QCOMPARE(p->ctx.stato.PaginaCorrente, 2);
    QVERIFY(!Pagina(0)->isVisible() && !Pagina(1)->isVisible() && Retta()->isVisible());
    QCOMPARE(p->ctx.retta.Retta[0], p->ctx.Valore(6, 0));

    const ListaScelte &lista0 = ListaSvuotata(0);
    QTest::keyRelease(p->frame->Barra(), Qt::Key_F2);
    QCOMPARE(p->ctx.stato.PaginaCorrente, 0);
    QVERIFY(Pagina(0)->isVisible() && !Retta()->isVisible());
    QCOMPARE(lista0.Selezione, 0); // refreshed: " x 1"
}

void TstFrameComandi::finestraInformazioni()
{
    QVERIFY(p->AttendiStato(StatoApp::Connesso));
    p->ui.mostrati.clear();
    QTest::mouseClick(p->frame->Barra()->CmdInfo, Qt::LeftButton);
    QCOMPARE(p->ui.mostrati.size(), 1);
    const auto box = p->ui.mostrati.first();
    QCOMPARE(box.icona, ServiziUi::Icona::Domanda);
    const QStringList righe = box.testo.split(QStringLiteral("\r\n"));
    QCOMPARE(righe.size(), 13);
    QCOMPARE(righe.at(0), Sezione(5));
    QCOMPARE(righe.at(2), QStringLiteral("PC  : 1.28 - 28/11/14"));
    for (int vuota : {1, 3, 5, 7})
        QVERIFY(righe.at(vuota).isEmpty());
    const QRegularExpression versione(QStringLiteral("^\\d\\d\\.\\d\\d - \\d\\d/\\d\\d/\\d{4} "));
    QVERIFY2(righe.at(4).startsWith(QStringLiteral("ECU : ")), qPrintable(righe.at(4)));
    QVERIFY2(versione.match(righe.at(4).mid(6)).hasMatch(), qPrintable(righe.at(4)));
    QVERIFY2(righe.at(4) != QStringLiteral("ECU : 00.00 - 00/00/0000 "), "the ECU's identity was not read");
    QVERIFY2(versione.match(righe.at(6).mid(6)).hasMatch(), qPrintable(righe.at(6)));
    QVERIFY(righe.at(6).startsWith(QStringLiteral("FILE: ")));
    const QRegularExpression dati(QStringLiteral("^DATA: -?\\d+( -?\\d+){6}$"));
    QVERIFY2(dati.match(righe.at(8)).hasMatch(), qPrintable(righe.at(8)));
    // The same numbers again, each with its name, and the port in use.
    const QString sezione2 = QStringLiteral("[Frm_Barra_2]");
    const QStringList numeri = righe.at(8).mid(6).split(QLatin1Char(' '));
    QCOMPARE(righe.at(10), p->ctx.diz.TestoSezione(sezione2, 23) + QStringLiteral(": ")
                               + p->ctx.diz.TestoSezione(sezione2, 24) + QLatin1Char(' ') + numeri.at(0)
                               + QStringLiteral(", ") + p->ctx.diz.TestoSezione(sezione2, 25)
                               + QLatin1Char(' ') + numeri.at(1) + QStringLiteral(", ")
                               + righe.at(10).section(QStringLiteral(", "), 2));
    QVERIFY2(righe.at(10).endsWith(p->ctx.diz.TestoSezione(sezione2, 30) + QLatin1Char(' ') + numeri.at(6)),
             qPrintable(righe.at(10)));
    QVERIFY2(righe.at(12).startsWith(p->ctx.diz.TestoSezione(sezione2, 31) + QStringLiteral(": ")),
             qPrintable(righe.at(12)));
    QVERIFY2(righe.at(12).contains(QLatin1Char('(')), qPrintable(righe.at(12))); // the device
}

void TstFrameComandi::salvataggioMappaConSovrascrittura()
{
    const QString percorso = p->Percorso(QStringLiteral("Data/esistente.var"));
    QFile vecchio(percorso);
    QVERIFY(vecchio.open(QIODevice::WriteOnly));
    vecchio.write("old\r\n");
    vecchio.close();

    // No to the overwrite question: nothing pending, the file untouched.
    p->ui.mostrati.clear();
    p->ui.fileDaSalvare.enqueue(percorso);
    p->ui.risposte.enqueue(ServiziUi::Risposta::No);
    QTest::mouseClick(p->frame->Barra()->CmdMapSave, Qt::LeftButton);
    QCOMPARE(p->ui.filtriMostrati.last(), QStringLiteral("View Files  (*.var)|*.var|All Files  (*.*)|*.*"));
    QCOMPARE(p->ui.mostrati.size(), 1);
    QCOMPARE(p->ui.mostrati.first().testo, percorso + QStringLiteral("\r\n") + Sezione(6)
                                               + QStringLiteral("\r\n") + Sezione(7));
    QCOMPARE(p->ui.mostrati.first().pulsanti, ServiziUi::Pulsanti::SiNo);
    QCOMPARE(p->ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
    QVERIFY(p->ctx.stato.FileDefinizioni.isEmpty());
    QTest::qWait(300);
    QCOMPARE(p->ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna);

    // Yes: the next tick reads the ECU and writes the file, then says so.
    p->ui.mostrati.clear();
    p->ui.fileDaSalvare.enqueue(percorso);
    p->ui.risposte.enqueue(ServiziUi::Risposta::Si);
    QTest::mouseClick(p->frame->Barra()->CmdMapSave, Qt::LeftButton);
    QVERIFY(p->frame->windowTitle().endsWith(QStringLiteral(" - [esistente.var] ")));
    QTRY_VERIFY_WITH_TIMEOUT(p->ui.Testi().contains(p->ctx.diz.Testo(8)), 10000);
    QCOMPARE(p->ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
    QVERIFY(vecchio.open(QIODevice::ReadOnly));
    QVERIFY(vecchio.readAll().startsWith("[INFO]\r\n"));
    QCOMPARE(p->ctx.stato.StatoProgramma, int(StatoApp::Connesso));
}

void TstFrameComandi::mappaDanneggiataRifiutata()
{
    const QString percorso = p->Percorso(QStringLiteral("Data/rotta.var"));
    QFile rotta(percorso);
    QVERIFY(rotta.open(QIODevice::WriteOnly));
    rotta.write("[INFO]\r\nx\r\n[BLK_2]\r\n41\r\n");
    rotta.close();
    p->ui.mostrati.clear();
    p->ui.fileDaAprire.enqueue(percorso);
    QTest::mouseClick(p->frame->Barra()->CmdMapOpen, Qt::LeftButton);
    QCOMPARE(p->ctx.stato.OperazioneRichiesta, gascal::Operazione::CaricaMappa);
    QTRY_COMPARE_WITH_TIMEOUT(p->ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna, 5000);
    QCOMPARE(p->ui.mostrati.size(), 1);
    QVERIFY(p->ui.mostrati.first().testo.startsWith(p->ctx.diz.Testo(10)));
    // Refused before any transaction: no reconnection follows.
    QTest::qWait(200);
    QCOMPARE(p->ctx.stato.ErroreComunicazione, quint8(0));
    QCOMPARE(p->ctx.stato.StatoProgramma, int(StatoApp::Connesso));
}

void TstFrameComandi::lingueEFont()
{
    const QString inglese = p->ctx.diz.Testo(0);
    const QString tipPagina = p->frame->Barra()->CmdPage->toolTip();
    QCOMPARE(tipPagina, Sezione(1));
    QTest::mouseClick(p->frame->Barra()->CmdLingua, Qt::LeftButton);
    QCOMPARE(p->ctx.diz.LinguaCorrente, int(Dizionario::Italiano));
    QVERIFY(p->frame->windowTitle().startsWith(p->ctx.diz.Testo(0) + QStringLiteral(" - 1.28 - 28/11/14")));
    QCOMPARE(p->frame->Barra()->CmdPage->toolTip(), Sezione(1));
    QVERIFY(p->frame->Barra()->CmdPage->toolTip() != tipPagina);
    QCOMPARE(p->frame->PaginaRetta()->LblParaRetta->text(),
             p->ctx.diz.TestoSezione(QStringLiteral("[Frm_Retta]"), 1));
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(p->frame->Barra()->CmdLingua, Qt::LeftButton);
    QCOMPARE(p->ctx.diz.LinguaCorrente, int(Dizionario::Thai));
    QCOMPARE(p->ctx.diz.FontNome, QStringLiteral("Loma"));
    QCOMPARE(p->frame->Barra()->CmdInfo->font().family(), QStringLiteral("Loma"));
    QCOMPARE(p->frame->Barra()->LblRpmVal->font().family(), QStringLiteral("Loma"));
    QCOMPARE(static_cast<FrmConfig *>(Pagina(0))->LblFattore->font().family(), QStringLiteral("Loma"));
    QCOMPARE(static_cast<FrmConfig_2 *>(Pagina(1))->Cmb[0]->font().family(), QStringLiteral("Loma"));
    for (int i = 0; i < 2; ++i)
        QTest::mouseClick(p->frame->Barra()->CmdLingua, Qt::LeftButton);
    QCOMPARE(p->ctx.diz.Testo(0), inglese);
    QVERIFY(FileExist(p->Percorso(QStringLiteral("diz.ini"))));
}

namespace {

// A minute's drive: idle on petrol, the engine revved, then gas from 25 s.
QString RegistrazioneDiProva(const QString &percorso)
{
    QFile f(percorso);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    const QStringList colonne = FormatoLive::Intestazione(14).split(QLatin1Char(','));
    QByteArray testo = FormatoLive::Intestazione(14).toUtf8() + "\r\n";
    for (int ms = 0; ms <= 60000; ms += 50) {
        const double t = ms / 1000.0;
        const bool gas = t >= 25;
        const double giri = t < 10 ? 800 : std::min(2500.0, 800 + (t - 10) * 170);
        const double benzina = 2500 + giri;
        QStringList campi;
        for (const QString &c : colonne) {
            const double v = c == QLatin1String("time_ms")                  ? ms
                : c == QLatin1String("engine_speed_rpm")                  ? giri
                : c == QLatin1String("petrol_injection_us")               ? benzina
                : c == QLatin1String("gas_injection_us")                  ? (gas ? benzina * 1.25 : 0)
                : c == QLatin1String("manifold_pressure_mbar")            ? 300 + giri / 8
                : c == QLatin1String("gas_pressure_mbar")                 ? 1400 + giri / 8
                : c == QLatin1String("gas_temperature_c")                 ? 20 + t / 2
                : c == QLatin1String("fuel_state") && gas                 ? 3
                                                                          : 0;
            campi << QString::number(qRound(v));
        }
        testo += campi.join(QLatin1Char(',')).toUtf8() + "\r\n";
    }
    f.write(testo);
    return percorso;
}

} // namespace

// The chart window, the record button and the autotuning window take the
// language chosen on the bar, as the pages do; the buttons keep their
// shortcuts and their texts fit them.
void TstFrameComandi::graficoERegistrazioneCambianoLingua()
{
    ControlliDatalog &d = *p->frame->Datalog();
    d.CmdGrafico->trigger();
    FrmGrafico &g = *d.Grafico();
    const QString file = RegistrazioneDiProva(p->Percorso(QStringLiteral("drive.csv")));
    QVERIFY(g.ApriRegistrazione(file));
    const auto testo = [this](const char *sezione, int k) {
        return p->ctx.diz.TestoSezione(QLatin1String(sezione), k);
    };
    QCOMPARE(g.windowTitle(), QStringLiteral("GasCal - Charts - [drive.csv]"));
    QCOMPARE(g.CmdPausa->text(), QStringLiteral("Pause"));
    QCOMPARE(g.Filtro(), QStringLiteral("Recordings  (*.csv)|*.csv|All Files  (*.*)|*.*"));
    QCOMPARE(d.CmdRegistra->toolTip(), QStringLiteral("Record the live data into a CSV under Data/logs (F11)"));
    QVERIFY(g.TestoCursore(30).contains(QLatin1String("Engine speed 2500 rpm")));

    QTest::mouseClick(p->frame->Barra()->CmdLingua, Qt::LeftButton);
    QCOMPARE(p->ctx.diz.LinguaCorrente, int(Dizionario::Italiano));
    QCOMPARE(g.windowTitle(), QStringLiteral("GasCal - Grafici - [drive.csv]"));
    QCOMPARE(g.Filtro(), QStringLiteral("Registrazioni  (*.csv)|*.csv|Tutti i file  (*.*)|*.*"));
    QCOMPARE(g.CmdApri->text(), testo("[Frm_Grafico]", 7));
    QCOMPARE(g.ChkCanale[ModelloGrafico::Giri]->text(), testo("[Frm_Grafico]", 19) + QStringLiteral(" (rpm)"));
    QVERIFY(g.TestoCursore(30).contains(testo("[Frm_Grafico]", 14)));
    QCOMPARE(d.CmdRegistra->toolTip(), testo("[Frm_Datalog]", 3));
    QCOMPARE(d.CmdGrafico->toolTip(), testo("[Frm_Datalog]", 7));
    QCOMPARE(p->frame->Autotuning()->CmdGo->text(), testo("[Frm_AutoTuning]", 40));
    QCOMPARE(p->frame->Autotuning()->LblMsg->text(), testo("[Frm_AutoTuning]", 4));
    g.TornaLive();
    g.Pausa(true);
    QCOMPARE(g.CmdPausa->text(), testo("[Frm_Grafico]", 5));
    QCOMPARE(g.CmdPausa->shortcut(), QKeySequence(Qt::Key_Space)); // a new text would drop it
    g.Pausa(false);
    QCOMPARE(g.CmdPausa->shortcut(), QKeySequence(Qt::Key_Space));

    // Every language: the drive played back, the texts fitting their buttons
    // and the window's width (the screenshots show them).
    QVERIFY(g.ApriRegistrazione(file));
    g.ImpostaFinestra(60);
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    const QString cartella = qEnvironmentVariable("GASCAL_SCREENSHOTS");
    for (int lingua = Dizionario::Italiano; lingua < Dizionario::NumeroLingue; ++lingua) {
        QCOMPARE(p->ctx.diz.LinguaCorrente, lingua);
        QCOMPARE(g.CmdLive->text(), testo("[Frm_Grafico]", 9));
        QCOMPARE(g.CmdLive->font().family(), p->ctx.diz.FontNome);
        g.layout()->activate(); // the new texts' sizes, as the next event loop would
        QVERIFY2(g.minimumSizeHint().width() <= 1000, // the window's own width
                 qPrintable(QString::number(g.minimumSizeHint().width())));
        for (QWidget *w : std::initializer_list<QWidget *>{g.CmdPausa, g.CmdApri, g.CmdLive, g.LblFinestra})
            QVERIFY2(w->width() >= w->sizeHint().width(),
                     qPrintable(QStringLiteral("%1 %2 < %3").arg(w->property("text").toString()).arg(w->width()).arg(w->sizeHint().width())));
        QTest::qWait(100); // the chart's scene takes the new names on its next paint
        if (!cartella.isEmpty())
            g.grab().save(QDir(cartella).filePath(QStringLiteral("grafico-%1.png").arg(Dizionario::RisorsaDi(lingua))));
        QTest::mouseClick(p->frame->Barra()->CmdLingua, Qt::LeftButton);
    }
    g.TornaLive();
    g.close();
    QCOMPARE(p->ctx.diz.LinguaCorrente, int(Dizionario::Inglese));
    QCOMPARE(g.CmdPausa->text(), QStringLiteral("Pause"));

    // A dictionary without these sections (a translator's older one) leaves
    // the design's texts, never empty buttons.
    p->ctx.diz.ImpostaTesti({QStringLiteral("Titolo"), QStringLiteral("[Frm_Barra]")});
    d.CaricaLingua();
    QCOMPARE(g.CmdApri->text(), QStringLiteral("Open recording..."));
    QCOMPARE(g.ChkCanale[ModelloGrafico::Carburante]->text(), QStringLiteral("On gas"));
    QCOMPARE(g.Filtro(), QStringLiteral("Recordings  (*.csv)|*.csv|All Files  (*.*)|*.*"));
    QCOMPARE(d.CmdGrafico->text(), QStringLiteral("Charts"));
    const Impostazioni &imp = p->ctx.imp;
    p->ctx.diz.CaricaDizionario(false, {imp.FileTestDiz, imp.FileDizIni, imp.FileFontIni});
    d.CaricaLingua();
}

GASCAL_PROVA(TstFrameComandi)
void TstFrameComandi::filtriDeiDialoghiComeScritti()
{
    // The dialog shows the descriptions as written, blanks included.
    QCOMPARE(QtServiziUi::FiltroQt(QStringLiteral("View Files  (*.var)|*.var|All Files  (*.*)|*.*")),
             QStringLiteral("View Files  (*.var);;All Files  (*.*)"));
    QCOMPARE(QtServiziUi::FiltroQt(QStringLiteral("Samples|*.cmp;*.txt")),
             QStringLiteral("Samples (*.cmp *.txt)"));
}

#include "tst_frame_comandi.moc"
