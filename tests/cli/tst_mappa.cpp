#include "RegistroProve.h"
#include "mapfile/CaricamentoMappa.h"
#include "BancoEcu.h"
#include "MisuraCpu.h"

#include "app/Orologio.h"
#include "app/TestoByte.h"
#include "ecu/SequenzeBlocchi.h"
#include "link/MessaggioEcu.h"
#include "mapfile/FileMappa.h"
#include "mapfile/Mappa.h"
#include "mapfile/RicercaEcu.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>

using namespace gascal;
using namespace Qt::StringLiterals;

namespace {

// The four blocks a load writes, without the pedestal guard that a save turns on.
using Quattro = QList<QByteArray>;
Quattro Dati(Quattro q)
{
    if (q.value(1).size() > 8)
        q[1][8] = 0;
    return q;
}
Quattro DaFile(const QByteArray &testo)
{
    FileMappa::BlocchiCaricati b;
    FileMappa::Leggi(testo, b);
    return Dati({FileMappa::DatiBlocco(b.Blk2), FileMappa::DatiBlocco(b.Blk3), FileMappa::DatiBlocco(b.Blk5),
                 FileMappa::DatiBlocco(b.Map0)});
}
Quattro DaEcu(BancoEcu &b)
{
    FileMappa::Contenuto c;
    Quattro q;
    if (Mappa(*b.ctx).LeggiEcu(c))
        for (const QByteArray &x : {c.Blk2, c.Blk3, c.Blk5, c.Map0})
            q << x.mid(5).chopped(1);
    return Dati(q);
}

const int ValoreServizio = 5 + 4; // value 4 of record 2 (service flags), kept as written

// The ECU's blocks as a map file, BLK_2 and BLK_3 changed and `danno` done to BLK_3.
QByteArray FileDiverso(BancoEcu &b, const std::function<void(QByteArray &)> &danno = {})
{
    FileMappa::Contenuto c;
    Mappa m(*b.ctx);
    if (!m.LeggiEcu(c))
        return {};
    c.Blk2[ValoreServizio] = 0x5A;
    c.Blk3[5] = char(c.Blk3[5] + 7);
    c.Blk3.chop(1);
    if (danno)
        danno(c.Blk3);
    c.Blk3[2] = char(c.Blk3.size() + 1);
    c.Blk3 += char(MessaggioEcu::ChecksumXor(c.Blk3));
    c.Blk2.back() = char(MessaggioEcu::ChecksumXor(c.Blk2.chopped(1)));
    return m.TestoFile(c);
}

QStringList Backup(const BancoEcu &b)
{
    return QDir(b.Percorso(QStringLiteral("Data/backup"))).entryList(QDir::Files);
}

// The four loaded sections' data, saved from the bench's ECU.
QStringList Salva(BancoEcu &b, const QString &nome)
{
    FileMappa::BlocchiCaricati s;
    if (!Mappa(*b.ctx).SalvaMappa(b.Percorso(nome)) || !FileMappa::Leggi(b.LeggiFile(nome), s).isEmpty())
        return {};
    return {s.Blk2.mid(10).chopped(2), s.Blk3.mid(10).chopped(2), s.Blk5.mid(10).chopped(2), s.Map0.mid(10).chopped(2)};
}

// After the ECU restarted on a new line: PrjCom reopens it; the link is up.
void RiapriPorta(Contesto &ctx)
{
    ctx.link.InviaComando(10, ctx.impLink.ListaFirmware.value(0), ctx.impLink.AttesaPipe_usec);
    ctx.link.InviaComando(3, QByteArray(1, '\0'), ctx.impLink.AttesaPipe_usec);
    ctx.stato.StatoProgramma = StatoApp::Connesso;
}


} // namespace

// The ECU search and the link under faults through the real PrjCom and ecusim; map files between
// disk and ECU, also under faults: the old file whole, the ECU old or new.
class TstMappa : public QObject
{
    Q_OBJECT

    static bool Connetti(BancoEcu &b, const QStringList &opzioni = {}, bool controllo = false)
    {
        if (!b.AvviaEcu(opzioni, controllo) || !b.Avvia() || !b.Cerca())
            return false;
        b.ctx->stato.StatoProgramma = StatoApp::Operazione; // as the frame runs map files
        return true;
    }

private slots:
    // Nothing to find: the search sleeps between rounds and ends soon after it is told to.
    void searchThatFindsNothingStopsAndDoesNotSpin_data()
    {
        QTest::addColumn<QStringList>("ecu"); // ecusim's options; empty: no ECU
        QTest::newRow("no ECU, exit") << QStringList{};
        QTest::newRow("map read refused, stop") << QStringList{"--refuse", "18"};
    }
    void searchThatFindsNothingStopsAndDoesNotSpin()
    {
        QFETCH(QStringList, ecu);
        BancoEcu b;
        if (ecu.isEmpty())
            QFile::remove(b.Percorso(QStringLiteral("PortCom.ini")));
        else
            QVERIFY(b.AvviaEcu(ecu));
        QVERIFY(b.Avvia());
        b.ctx->stato.ErroreComunicazione = 1;
        double durata = 0;
        bool trovata = true;
        // The program and PrjCom together, against one spinning thread.
        const double rapporto = MisuraCpu::RapportoConGiro([&] {
            const double t0 = TimerApi_uSec();
            if (ecu.isEmpty()) {
                QTimer::singleShot(1500, [&] { b.ctx->stato.UscitaRichiesta = 1; });
                RicercaEcu(*b.ctx).CercaCentralina();
                trovata = b.ctx->stato.StatoProgramma == StatoApp::Connesso;
            } else {
                trovata = b.Cerca(1500);
            }
            durata = (TimerApi_uSec() - t0) / 1e6;
        }, true);
        QVERIFY(!trovata);
        QVERIFY2(durata >= 1.4 && durata < 3, qPrintable(QString::number(durata)));
        QVERIFY2(rapporto < 0.5, qPrintable(QStringLiteral("CPU %1 of a spin").arg(rapporto)));
        QCOMPARE(b.ctx->stato.ErroreComunicazione, quint8(0));
        QCOMPARE(b.ctx->stato.StatoProgramma, int(StatoApp::Ricerca));
    }

    void unprogrammedEcuAsksForAnUpdate()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({QStringLiteral("--unprogrammed")}));
        QVERIFY(b.Avvia());
        QVERIFY(!b.Cerca(5000));
        QCOMPARE(b.ctx->TabMsg[0].Immagine, b.ctx->imp.MsgProva);
        QCOMPARE(b.ctx->stato.LavoroOffline, quint8(0)); // it returned by itself

        RicercaEcu(*b.ctx).VerificaFirmware(b.ctx->imp.FirmwareAtteso, b.ctx->TabMsg[0].Immagine);
        QCOMPARE(b.ui.Testi(), QStringList{RicercaEcu::TestoNonProgrammata()});
        QVERIFY(b.ui.mostrati[0].icona == ServiziUi::Icona::Nessuna && b.ctx->stato.UscitaRichiesta == 0);
        QCOMPARE(b.ctx->stato.MarcatoreAggiornamento, QStringLiteral("Lampeggia"));

        // A stop pressed between two searches ends the next one before it probes.
        b.ctx->stato.LavoroOffline = 1;
        b.ctx->stato.ErroreComunicazione = 1;
        b.ctx->TabMsg[0].Immagine.clear();
        RicercaEcu(*b.ctx).CercaCentralina();
        QVERIFY(b.ctx->TabMsg[0].Immagine.isEmpty());
        QCOMPARE(b.ctx->stato.ErroreComunicazione, quint8(0));
        QCOMPARE(b.ctx->stato.LavoroOffline, quint8(1)); // for the frame to go offline
    }

    // The search reads every record; with one answer in three lost, or garbled, it still finds the ECU and a map
    // round trip stays exact.
    void findsTheEcuAndMapsRoundTripExactlyThroughNoise()
    {
        BancoEcu pulito;
        QVERIFY(pulito.AvviaEcu() && pulito.Avvia());
        int aggiornamenti = 0;
        pulito.ctx->AggiornaFinestre = [&] { ++aggiornamenti; };
        pulito.ctx->stato.CaricaDefAvvio = 1;
        QVERIFY(pulito.Cerca());
        const Contesto &letto = *pulito.ctx;
        // Every record's image is the ECU's answer, decoded.
        QVERIFY(letto.TabMsg[0].Immagine.startsWith(HexToStr(QStringLiteral("012828112014")) + "ECU GC-SQ4 LPG"));
        QCOMPARE((QList<qsizetype>{letto.TabMsg[6].Immagine.size(), letto.Valore(Contesto::RecProduzione, 0),
                                   letto.Valore(Contesto::RecConfig, 0), letto.Valore(Contesto::RecBlk5, 8),
                                   letto.Valore(Contesto::RecLive, 5)}),
                 (QList<qsizetype>{62, 1234, 35, 55, 1200}));
        QVERIFY(letto.stato.CaricaDefAvvio == 0 && letto.stato.ErroreComunicazione == 0 && aggiornamenti == 1);
        const QStringList riferimento = Salva(pulito, u"rif.var"_s);
        QCOMPARE(riferimento.size(), 4);
        for (const QString &opzione : {u"--drop-every"_s, u"--corrupt-every"_s}) {
            BancoEcu b;
            QVERIFY(b.AvviaEcu({opzione, u"3"_s}) && b.Avvia());
            QVERIFY2(b.Cerca(5000), qPrintable(opzione + u": not found within 5 s"_s));
            QCOMPARE(Salva(b, u"a.var"_s), riferimento);
            // Change the configuration, then load the saved map back.
            Contesto &ctx = *b.ctx;
            ctx.code.ValoriDaScrivere.Aggiungi(ctx.Valore(Contesto::RecConfig, 0) + 5, 0, 0);
            QVERIFY(SequenzeBlocchi(ctx).ScriviBlk3());
            QVERIFY(Salva(b, u"b.var"_s) != riferimento);
            QVERIFY(Mappa(ctx).CaricaMappa(b.Percorso(u"a.var"_s)));
            QCOMPARE(Salva(b, u"c.var"_s), riferimento);
            QVERIFY(b.ui.Testi().isEmpty() && ctx.stato.ErroreComunicazione == 0);
        }
    }

    // Every answer after the ECU wait: a late answer is never taken for the next read's; one after the pipe
    // time-out is Retry's.
    void lateAnswersAndRepliesAfterThePipeTimeOut()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu() && b.Avvia() && b.Cerca());
        Contesto &ctx = *b.ctx;
        QMap<int, QByteArray> risposte;
        const int fissi[] = {Contesto::RecIdentita, Contesto::RecConfig, Contesto::RecBlk5, Contesto::RecProduzione, Contesto::RecMappa};
        for (int n : fissi) {
            QCOMPARE(ctx.tx.Richiedi(ctx.TabMsg.at(n)), 0);
            risposte.insert(n, ctx.tx.RispDati());
        }
        QVERIFY(b.AvviaEcu({u"--delay-ms"_s, u"300"_s}));
        RiapriPorta(ctx);
        int buone = 0;
        for (int giro = 0; giro < 2; ++giro) {
            for (int n : fissi) {
                if (ctx.tx.Richiedi(ctx.TabMsg.at(n)) != 0)
                    continue;
                ++buone;
                QCOMPARE(ctx.tx.RispDati(), risposte.value(n));
            }
        }
        QVERIFY(buone > 0 && b.ui.Testi().isEmpty());
        QVERIFY(b.AvviaEcu({u"--delay-ms"_s, u"100"_s}));
        RiapriPorta(ctx);
        ctx.impLink.AttesaPipe_usec = 50000;
        ctx.stato.ErroreComunicazione = 0;
        for (int i = 0; i < 8; ++i)
            b.ui.risposte << ServiziUi::Risposta::Riprova;
        QCOMPARE(ctx.tx.Richiedi(ctx.TabMsg.at(Contesto::RecConfig)), 0);
        QCOMPARE(ctx.tx.RispDati(), risposte.value(Contesto::RecConfig));
        QVERIFY(!b.ui.Testi().isEmpty() && b.ui.Testi().filter(u"Error 007 - Time Out"_s) == b.ui.Testi());
        QCOMPARE(ctx.stato.ErroreComunicazione, quint8(0));
    }

    void savedFileLoadsIntoAnotherEcu()
    {
        BancoEcu uno;
        QVERIFY(Connetti(uno));
        // Configuration, block 5 and the calibration map changed.
        Contesto &ctx = *uno.ctx;
        ctx.code.ValoriDaScrivere.Aggiungi(43, 0, 0);
        ctx.code.ValoriDaScrivere.Aggiungi(7003, 14, 0);
        QVERIFY(SequenzeBlocchi(ctx).ScriviBlk3());
        ctx.code.DatiMap0 = QByteArray(56, '\0');
        for (int i = 0; i < 56; ++i)
            ctx.code.DatiMap0[i] = static_cast<char>(i * 3 - 40);
        ctx.code.DatiBlk5 = Blocco::CodificaBlocco(ctx.TabMsg[Contesto::RecBlk5]);
        ctx.code.DatiBlk5[9] = 33;
        QVERIFY(SequenzeBlocchi(ctx).ScriviMappe());

        QVERIFY(Mappa(ctx).SalvaMappa(uno.Percorso(QStringLiteral("a.var"))));
        const QByteArray a = uno.LeggiFile(QStringLiteral("a.var"));
        QVERIFY(a.startsWith("[INFO]\r\n" + ctx.diz.Testo(0).toLocal8Bit() + " - 1.28 - 28/11/14 , file created "));
        FileMappa::BlocchiCaricati sezioni;
        QCOMPARE(FileMappa::Leggi(a, sezioni), QString());
        QCOMPARE(sezioni.Blk3.mid(26, 2), QStringLiteral("01")); // the pedestal guard saved on
        QVERIFY(a.mid(a.indexOf("[FW]")).contains(StrToHex(ctx.TabMsg[Contesto::RecIdentita].Immagine).toLatin1()));
        QCOMPARE(ctx.TabMsg[Contesto::RecConfig].Valori[6], 0); // saving changes none of the program's records

        // Another ECU takes only the four sections (LF ends); fuel request and state go to 0.
        BancoEcu due;
        QVERIFY(Connetti(due, {QStringLiteral("--identity"), QStringLiteral("012801012015414243")}));
        const Quattro prima = DaEcu(due);
        QVERIFY(prima != DaFile(a));
        QByteArray ridotto = "[BLK_2]\n" + sezioni.Blk2.toLatin1() + "\n[BLK_3]\n" + sezioni.Blk3.toLatin1()
            + "\n[BLK_5]\n" + sezioni.Blk5.toLatin1() + "\n[MAP_0]\n" + sezioni.Map0.toLatin1() + "\n";
        for (int k = 0; k < 5; ++k)
            ridotto = BancoEcu::CambiaByte(ridotto, "[BLK_2]", 6 + k, quint8("\x03\x03\x00\x00\x5A"[k]));
        due.ScriviFile(QStringLiteral("ridotto.var"), ridotto);
        FileMappa::BlocchiCaricati letti; // what goes to the ECU, which also keeps its own fuel bytes
        QVERIFY(FileMappa::Leggi(ridotto, letti).isEmpty());
        QCOMPARE(CaricamentoMappa::Scritture(letti).value(0).dati.left(5), QByteArray::fromHex("000000005A"));
        Mappa m(*due.ctx);
        QVERIFY(m.CaricaMappa(due.Percorso(QStringLiteral("ridotto.var"))));
        QVERIFY(due.ui.mostrati.isEmpty());
        const Quattro dopo = DaEcu(due);
        QCOMPARE(dopo.mid(1), DaFile(a).mid(1));
        QCOMPARE(dopo[0].left(5), QByteArray::fromHex("000000005A"));

        // Every load first backs the ECU up: date, time, the ECU's lot and serial number.
        QCOMPARE(Backup(due), QStringList{QFileInfo(m.FileBackup()).fileName()});
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{8}_\\d{6}_ECU87-1234\\.var$")).match(Backup(due)[0]).hasMatch(),
                 qPrintable(Backup(due)[0]));
        QCOMPARE(DaFile(due.LeggiFile(QStringLiteral("Data/backup/") + Backup(due)[0])), prima);
    }

    // A refused file reaches nothing, not even the fuel switch; one message, no backup.
    void refusedFileReachesNothing()
    {
        BancoEcu b;
        QVERIFY(Connetti(b));
        const Quattro prima = DaEcu(b);
        QVERIFY(!prima.isEmpty());
        for (const bool malformato : {true, false}) {
            b.ui.mostrati.clear();
            b.ScriviFile(QStringLiteral("m.var"), malformato
                             ? FileDiverso(b).replace("[MAP_0]\r\n41023E", "[MAP_0]\r\n41023G")
                             : FileDiverso(b, [](QByteArray &x) { x.chop(2); }));
            // A fuel in use would otherwise switch the ECU first.
            b.ctx->TabMsg[Contesto::RecComandi].Valori[1] = 3;
            b.ctx->link.InviaComando(11, {}, 1000000);
            Mappa m(*b.ctx);
            QVERIFY(!m.CaricaMappa(b.Percorso(QStringLiteral("m.var"))));
            if (malformato)
                QCOMPARE(b.ctx->link.RispCodice(), 11); // nothing was sent
            QVERIFY(m.ErroreSegnalato());
            QCOMPARE(b.ui.mostrati.size(), 1);
            const QString testo = b.ui.mostrati.first().testo;
            const QString motivo = malformato ? QStringLiteral("[MAP_0] is not hex")
                                              : QStringLiteral("[BLK_3] is 48 bytes long, the ECU's is 50");
            QVERIFY2(testo.startsWith(b.ctx->diz.Testo(10)) && testo.contains(motivo), qPrintable(testo));
            b.ctx->TabMsg[Contesto::RecComandi].Valori[1] = 0;
            QCOMPARE(DaEcu(b), prima);
            QVERIFY(Backup(b).isEmpty());
        }
    }

    // The ECU refuses block 5: the blocks before it get the ECU's own back.
    void writeFailingPartWayIsUndone()
    {
        BancoEcu b;
        QVERIFY(Connetti(b, {QStringLiteral("--refuse"), QStringLiteral("50"), QStringLiteral("--time-scale"), QStringLiteral("10")}, true));
        QCOMPARE(b.Controllo(QStringLiteral("rpm 3000")), QStringLiteral("ok"));
        QCOMPARE(b.Controllo(QStringLiteral("fuel gas")), QStringLiteral("ok"));
        Contesto &ctx = *b.ctx;
        auto suGas = [&] {
            return ctx.tx.LeggiRecord(ctx.TabMsg[Contesto::RecComandi], ctx.Ambiente(), true) == 0
                && ctx.Valore(Contesto::RecComandi, 1) == 3;
        };
        QVERIFY(QTest::qWaitFor(suGas, 20000));
        b.ScriviFile(QStringLiteral("m.var"), FileDiverso(b));
        Quattro prima = DaEcu(b);

        Mappa m(ctx);
        QVERIFY(!m.CaricaMappa(b.Percorso(QStringLiteral("m.var"))));
        QVERIFY(m.ErroreSegnalato());
        QCOMPARE(b.ui.mostrati.size(), 1);
        const QString testo = b.ui.mostrati.first().testo;
        QVERIFY2(testo.contains(QStringLiteral("restored as it was before")), qPrintable(testo));
        QVERIFY(testo.contains(QDir::toNativeSeparators(m.FileBackup())));
        QVERIFY(QTest::qWaitFor(suGas, 20000));
        // The fuel bytes follow the engine; the rest is the ECU's old set-up.
        Quattro dopo = DaEcu(b);
        for (Quattro *q : {&dopo, &prima})
            (*q)[0] = (*q)[0].mid(ValoreServizio - 5);
        QCOMPARE(dopo, prima);
    }

    // The ECU goes dark at block 5: the user learns which blocks came from the file.
    void powerCutDuringLoad()
    {
        BancoEcu b;
        QVERIFY(Connetti(b, {QStringLiteral("--exit-on"), QStringLiteral("50")}));
        const QByteArray file = FileDiverso(b);
        b.ScriviFile(QStringLiteral("m.var"), file);
        const Quattro prima = DaEcu(b);
        Mappa m(*b.ctx);
        QVERIFY(!m.CaricaMappa(b.Percorso(QStringLiteral("m.var"))));
        QVERIFY(m.ErroreSegnalato());
        const QStringList testi = b.ui.Testi();
        QCOMPARE(testi.size(), 1);
        QVERIFY2(testi.first().contains(QStringLiteral("could not be restored. Blocks written from the "
                                                        "file: [BLK_2], [BLK_3].")),
                 qPrintable(testi.first()));
        QVERIFY(testi.first().contains(QStringLiteral("Not written: [MAP_0].")));
        QVERIFY(testi.first().contains(QDir::toNativeSeparators(m.FileBackup())));
        QCOMPARE(b.ctx->stato.ErroreComunicazione, quint8(1)); // back to searching
        // A save from the ECU that went leaves the file as it was, and nothing beside it.
        QVERIFY(!m.SalvaMappa(b.Percorso(QStringLiteral("m.var"))) && b.LeggiFile(QStringLiteral("m.var")) == file);
        QCOMPARE(QDir(b.Cartella()).entryList({QStringLiteral("m.var*")}, QDir::Files), QStringList{"m.var"});

        QVERIFY(b.AvviaEcu());
        b.ctx->stato.StatoProgramma = StatoApp::Ricerca;
        QVERIFY(b.Cerca());
        b.ctx->stato.StatoProgramma = StatoApp::Operazione;
        QCOMPARE(DaEcu(b), prima);
    }

    // A full disk or an unwritable folder: one message, the old file whole; no backup, no load.
    void saveAndLoadWhenTheDiskFails()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu());
        // A name without extension gets ".var".
        EsitoCli e = b.Cli({QStringLiteral("save-map"), b.Percorso(QStringLiteral("Data/cliente_golf"))});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        const QByteArray vecchio = b.LeggiFile(QStringLiteral("Data/cliente_golf.var"));
        QVERIFY(vecchio.startsWith("[INFO]\r\n"));

        const rlim_t limite = vecchio.size() / 2;
        e = b.Cli({QStringLiteral("save-map"), b.Percorso(QStringLiteral("Data/cliente_golf.var"))}, [&](QProcess &p) {
            p.setChildProcessModifier([limite] {
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit r{limite, limite};
                ::setrlimit(RLIMIT_FSIZE, &r);
            });
        });
        QCOMPARE(e.codice, 1);
        QCOMPARE(e.err.trimmed().split(QLatin1Char('\n')).size(), 1);
        QVERIFY2(e.err.contains(QStringLiteral("File too large")), qPrintable(e.err));
        QCOMPARE(b.LeggiFile(QStringLiteral("Data/cliente_golf.var")), vecchio);
        QCOMPARE(QDir(b.Percorso(QStringLiteral("Data"))).entryList(QDir::Files), QStringList{"cliente_golf.var"});

        b.ScriviFile(QStringLiteral("Data/backup"), "a file where the backup folder goes\n");
        b.ScriviFile(QStringLiteral("d.var"), BancoEcu::CambiaByte(vecchio, "[BLK_3]", 6, 40));
        e = b.Cli({QStringLiteral("load-map"), b.Percorso(QStringLiteral("d.var"))});
        QCOMPARE(e.codice, 1);
        QVERIFY2(e.err.contains(QStringLiteral("cannot be backed up")), qPrintable(e.err));
        QCOMPARE(b.Cli({QStringLiteral("save-map"), b.Percorso(QStringLiteral("dopo.var"))}).codice, 0);
        QCOMPARE(DaFile(b.LeggiFile(QStringLiteral("dopo.var"))), DaFile(vecchio));
    }
};

GASCAL_PROVA(TstMappa)
#include "tst_mappa.moc"
