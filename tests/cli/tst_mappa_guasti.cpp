#include "RegistroProve.h"
#include "BancoEcu.h"

#include "app/TestoByte.h"
#include "link/MessaggioEcu.h"
#include "mapfile/Mappa.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace gascal;

namespace {

// The hex line after a section of a map file.
QString Sezione(const QByteArray &testo, const char *nome)
{
    const QList<QByteArray> righe = testo.split('\n');
    for (qsizetype i = 0; i + 1 < righe.size(); ++i)
        if (righe[i].trimmed() == nome)
            return QString::fromLatin1(righe[i + 1].trimmed());
    return {};
}

QByteArray Sostituisci(QByteArray testo, const char *nome, const QString &riga)
{
    return testo.replace(Sezione(testo, nome).toLatin1(), riga.toLatin1());
}

// A block line changed by `cambia` (on its bytes), length byte and checksum
// made right again.
QString Ritocca(const QString &riga, const std::function<void(QByteArray &)> &cambia)
{
    QByteArray b = HexToStr(riga);
    b.chop(1);
    cambia(b);
    b[2] = static_cast<char>(b.size() + 1);
    return StrToHex(b + char(MessaggioEcu::ChecksumXor(b)));
}

// The four blocks a load writes, as the ECU holds them (the pedestal guard of
// the configuration, which a saved file has on, left out).
struct Quattro {
    QByteArray blk2, blk3, blk5, map0;
    bool operator==(const Quattro &) const = default;
};

Quattro DaEcu(const FileMappa::Contenuto &c)
{
    QByteArray blk3 = c.Blk3;
    blk3[13] = 0;
    return {c.Blk2, blk3, c.Blk5, c.Map0};
}

Quattro DaFile(const QByteArray &testo)
{
    QByteArray blk3 = HexToStr(Sezione(testo, "[BLK_3]"));
    blk3[13] = 0;
    blk3.chop(1); // its checksum is the one sent with the guard off
    QByteArray blk2 = HexToStr(Sezione(testo, "[BLK_2]"));
    return {blk2, blk3, HexToStr(Sezione(testo, "[BLK_5]")), HexToStr(Sezione(testo, "[MAP_0]"))};
}

const int ValoreServizio = 5 + 4; // value 4 of record 2 (service flags), kept as written

} // namespace

// Faults while map files go between the disk and the ECU: files that do not
// fit the ECU, writes cut part-way, an ECU that goes dark, a full disk and a
// read-only folder. Each must leave the old file whole and the ECU with its
// old set-up or the new one, and say what happened.
class TstMappaGuasti : public QObject
{
    Q_OBJECT

    static bool Connetti(BancoEcu &b, const QStringList &opzioni = {}, bool controllo = false)
    {
        if (!b.AvviaEcu(opzioni, controllo) || !b.Avvia() || !b.Cerca())
            return false;
        b.ctx->stato.StatoProgramma = StatoApp::Operazione; // as the frame runs map files
        return true;
    }

    static Quattro Ecu(BancoEcu &b)
    {
        FileMappa::Contenuto c;
        if (!Mappa(*b.ctx).LeggiEcu(c))
            return {};
        Quattro q = DaEcu(c);
        q.blk3.chop(1);
        return q;
    }

    // A map file of the ECU's blocks with other values in BLK_2 and BLK_3, so
    // that a block written shows.
    static QByteArray FileDiverso(BancoEcu &b)
    {
        FileMappa::Contenuto c;
        Mappa m(*b.ctx);
        if (!m.LeggiEcu(c))
            return {};
        QByteArray testo = m.TestoFile(c);
        testo = Sostituisci(testo, "[BLK_2]", Ritocca(Sezione(testo, "[BLK_2]"), [](QByteArray &x) {
                                x[ValoreServizio] = 0x5A;
                            }));
        testo = Sostituisci(testo, "[BLK_3]", Ritocca(Sezione(testo, "[BLK_3]"), [](QByteArray &x) {
                                x[5] = static_cast<char>(x[5] + 7);
                            }));
        return testo;
    }

    static QStringList Backup(const BancoEcu &b)
    {
        return QDir(b.Percorso(QStringLiteral("Data/backup"))).entryList(QDir::Files);
    }

    struct Esito : EsitoCli {
    };

    // gascal-cli on the bench's folder, with a file size limit (a full disk)
    // or with the data folder read-only, when asked.
    static Esito Cli(const BancoEcu &b, const QStringList &argomenti, rlim_t limite = 0,
                     bool datiSolaLettura = false)
    {
        QProcess p;
        QString programma = BancoEcu::Bin(QStringLiteral("gascal-cli"));
        QStringList args = QStringList{QStringLiteral("--dir"), b.Cartella()} + argomenti;
        if (datiSolaLettura) {
            // A read-only mount of the data folder, seen by this process alone.
            const QString dati = b.Percorso(QStringLiteral("Data"));
            args = QStringList{QStringLiteral("-m"), QStringLiteral("sh"), QStringLiteral("-c"),
                               QStringLiteral("mount --bind '%1' '%1' && mount -o remount,ro,bind '%1' '%1' "
                                              "&& exec \"$0\" \"$@\"")
                                   .arg(dati),
                               programma}
                + args;
            programma = QStringLiteral("unshare");
        }
        if (limite > 0) {
            p.setChildProcessModifier([limite] {
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit r{limite, limite};
                ::setrlimit(RLIMIT_FSIZE, &r);
            });
        }
        p.start(programma, args);
        Esito e;
        static_cast<EsitoCli &>(e) = BancoEcu::Attendi(p);
        return e;
    }

    static bool PuoMontare()
    {
        return ::geteuid() == 0
            && QProcess::execute(QStringLiteral("unshare"),
                                 {QStringLiteral("-m"), QStringLiteral("true")}) == 0;
    }

private slots:
    void fileThatDoesNotFitTheEcuIsRefused_data()
    {
        using Danno = std::function<QByteArray(const QByteArray &)>;
        QTest::addColumn<Danno>("danno");
        QTest::addColumn<QString>("sezione");
        QTest::addColumn<QString>("motivo");
        QTest::newRow("configuration two bytes short") << Danno([](const QByteArray &t) {
            return Sostituisci(t, "[BLK_3]", Ritocca(Sezione(t, "[BLK_3]"), [](QByteArray &x) { x.chop(2); }));
        }) << "[BLK_3]" << "48 bytes long, the ECU's is 50";
        QTest::newRow("block 5 cut short") << Danno([](const QByteArray &t) {
            return Sostituisci(t, "[BLK_5]", Sezione(t, "[BLK_5]").chopped(4));
        }) << "[BLK_5]" << "says it is 26 bytes long but holds 24";
        QTest::newRow("map with a wrong checksum") << Danno([](const QByteArray &t) {
            QString riga = Sezione(t, "[MAP_0]");
            riga.replace(riga.size() - 2, 2, riga.endsWith(QStringLiteral("00")) ? "01" : "00");
            return Sostituisci(t, "[MAP_0]", riga);
        }) << "[MAP_0]" << "wrong checksum";
        QTest::newRow("refusal saved as block 5") << Danno([](const QByteArray &t) {
            return Sostituisci(t, "[BLK_5]", Ritocca(QStringLiteral("4102067F3100"), [](QByteArray &) {}));
        }) << "[BLK_5]" << "refusal answer";
        QTest::newRow("configuration twice") << Danno([](const QByteArray &t) {
            return t + "[BLK_3]\r\n" + Sezione(t, "[BLK_3]").toLatin1() + "\r\n";
        }) << "[BLK_3]" << "more than once";
        QTest::newRow("sections swapped") << Danno([](const QByteArray &t) {
            const QString blk2 = Sezione(t, "[BLK_2]");
            const QString blk5 = Sezione(t, "[BLK_5]");
            return Sostituisci(Sostituisci(t, "[BLK_2]", QStringLiteral("X")), "[BLK_5]", blk2)
                .replace("[BLK_2]\r\nX", "[BLK_2]\r\n" + blk5.toLatin1());
        }) << "[BLK_2]" << "the ECU's is 13";
    }

    // Nothing reaches the ECU, not even the blocks before the bad one, and
    // the one message names the section and the reason.
    void fileThatDoesNotFitTheEcuIsRefused()
    {
        QFETCH(std::function<QByteArray(const QByteArray &)>, danno);
        QFETCH(QString, sezione);
        QFETCH(QString, motivo);
        BancoEcu b;
        QVERIFY(Connetti(b));
        const Quattro prima = Ecu(b);
        QVERIFY(!prima.blk3.isEmpty());
        b.ScriviFile(QStringLiteral("m.var"), danno(FileDiverso(b)));

        Mappa m(*b.ctx);
        QVERIFY(!m.CaricaMappa(b.Percorso(QStringLiteral("m.var"))));
        QVERIFY(m.ErroreSegnalato());
        QCOMPARE(b.ui.mostrati.size(), 1);
        const QString testo = b.ui.mostrati.first().testo;
        QVERIFY2(testo.startsWith(b.ctx->diz.Testo(10)), qPrintable(testo));
        QVERIFY2(testo.contains(sezione) && testo.contains(motivo), qPrintable(testo));
        QCOMPARE(Ecu(b), prima);
        QVERIFY(Backup(b).isEmpty());
    }

    // The ECU refuses block 5: the blocks written before it get the ECU's own
    // back, the fuel goes back to gas, and the user is told.
    void writeFailingPartWayIsUndone()
    {
        BancoEcu b;
        QVERIFY(Connetti(b, {QStringLiteral("--refuse"), QStringLiteral("50")}, true));
        QCOMPARE(b.Controllo(QStringLiteral("rpm 3000")), QStringLiteral("ok"));
        QCOMPARE(b.Controllo(QStringLiteral("fuel gas")), QStringLiteral("ok"));
        Contesto &ctx = *b.ctx;
        auto suGas = [&] {
            return ctx.tx.LeggiRecord(ctx.TabMsg[Contesto::RecComandi], ctx.Ambiente(), true) == 0
                && ctx.Valore(Contesto::RecComandi, 1) == 3;
        };
        QVERIFY(QTest::qWaitFor(suGas, 20000));
        const QByteArray file = FileDiverso(b);
        b.ScriviFile(QStringLiteral("m.var"), file);
        const Quattro prima = Ecu(b);

        Mappa m(ctx);
        QVERIFY(!m.CaricaMappa(b.Percorso(QStringLiteral("m.var"))));
        QVERIFY(m.ErroreSegnalato());
        QCOMPARE(b.ui.mostrati.size(), 1);
        const QString testo = b.ui.mostrati.first().testo;
        QVERIFY2(testo.contains(QStringLiteral("restored as it was before")), qPrintable(testo));
        QVERIFY(testo.contains(QDir::toNativeSeparators(m.FileBackup())));
        QVERIFY(QTest::qWaitFor(suGas, 20000));
        Quattro dopo = Ecu(b);
        // The fuel bytes follow the engine; the rest is the ECU's old set-up.
        for (Quattro *q : {&dopo, const_cast<Quattro *>(&prima)})
            q->blk2 = q->blk2.mid(ValoreServizio);
        QCOMPARE(dopo, prima);
    }

    void everyLoadLeavesABackupOfTheEcu()
    {
        BancoEcu b;
        QVERIFY(Connetti(b));
        FileMappa::Contenuto c;
        QVERIFY(Mappa(*b.ctx).LeggiEcu(c));
        b.ScriviFile(QStringLiteral("m.var"), FileDiverso(b));
        Mappa m(*b.ctx);
        QVERIFY(m.CaricaMappa(b.Percorso(QStringLiteral("m.var"))));
        QVERIFY(b.ui.mostrati.isEmpty());
        QCOMPARE(Backup(b).size(), 1);
        QCOMPARE(QFileInfo(m.FileBackup()).fileName(), Backup(b).first());
        // Date, time, the ECU's lot and serial number.
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{8}_\\d{6}_ECU87-1234\\.var$"))
                     .match(Backup(b).first())
                     .hasMatch(),
                 qPrintable(Backup(b).first()));
        QFile f(m.FileBackup());
        QVERIFY(f.open(QIODevice::ReadOnly));
        Quattro atteso = DaEcu(c);
        atteso.blk3.chop(1);
        QCOMPARE(DaFile(f.readAll()), atteso);
        QVERIFY(Ecu(b) != atteso);
    }

    // The ECU goes dark when block 5 is sent: nothing can be undone, so the
    // user learns which blocks the ECU holds from the file. Once the ECU
    // comes back (with what it had stored) the program finds it again.
    void powerCutDuringLoad()
    {
        BancoEcu b;
        QVERIFY(Connetti(b, {QStringLiteral("--exit-on"), QStringLiteral("50")}));
        b.ScriviFile(QStringLiteral("m.var"), FileDiverso(b));
        const Quattro prima = Ecu(b);
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

        QVERIFY(b.AvviaEcu());
        b.ctx->stato.StatoProgramma = StatoApp::Ricerca;
        QVERIFY(b.Cerca());
        b.ctx->stato.StatoProgramma = StatoApp::Operazione;
        QCOMPARE(Ecu(b), prima);
    }

    // The file grows past a size limit, as on a full disk: one message with
    // the system's reason, and the old file whole.
    void saveOntoAFullDisk()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu());
        // A name without extension gets ".var".
        Esito e = Cli(b, {QStringLiteral("save-map"), b.Percorso(QStringLiteral("Data/cliente_golf"))});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        const QByteArray vecchio = b.LeggiFile(QStringLiteral("Data/cliente_golf.var"));
        QVERIFY(vecchio.startsWith("[INFO]\r\n"));
        QVERIFY(!QFile::exists(b.Percorso(QStringLiteral("Data/cliente_golf"))));

        e = Cli(b, {QStringLiteral("save-map"), b.Percorso(QStringLiteral("Data/cliente_golf.var"))},
                vecchio.size() / 2);
        QCOMPARE(e.codice, 1);
        const QStringList righe = e.err.trimmed().split(QLatin1Char('\n'));
        QCOMPARE(righe.size(), 1);
        QVERIFY2(righe.first().contains(QStringLiteral("File too large")), qPrintable(e.err));
        QCOMPARE(b.LeggiFile(QStringLiteral("Data/cliente_golf.var")), vecchio);
        QCOMPARE(QDir(b.Percorso(QStringLiteral("Data"))).entryList(QDir::Files),
                 QStringList{"cliente_golf.var"});
    }

    // A data folder that cannot be written: the save fails with its cause,
    // and a load is refused, because the ECU cannot be backed up first.
    void readOnlyDataFolder()
    {
        if (!PuoMontare())
            QSKIP("needs a private read-only mount (root and unshare)");
        BancoEcu b;
        QVERIFY(b.AvviaEcu());
        const QString mappa = b.Percorso(QStringLiteral("Data/m.var"));
        QCOMPARE(Cli(b, {QStringLiteral("save-map"), mappa}).codice, 0);
        const QByteArray vecchio = b.LeggiFile(QStringLiteral("Data/m.var"));

        Esito e = Cli(b, {QStringLiteral("save-map"), mappa}, 0, true);
        QCOMPARE(e.codice, 1);
        QCOMPARE(e.err.trimmed().split(QLatin1Char('\n')).size(), 1);
        QVERIFY2(e.err.contains(QStringLiteral("Read-only file system"))
                     || e.err.contains(QStringLiteral("is not writable")),
                 qPrintable(e.err));
        QCOMPARE(b.LeggiFile(QStringLiteral("Data/m.var")), vecchio);

        // A file to load that differs from the ECU; the folder stays read-only.
        QByteArray diverso = vecchio;
        diverso = Sostituisci(diverso, "[BLK_2]", Ritocca(Sezione(diverso, "[BLK_2]"), [](QByteArray &x) {
                                  x[ValoreServizio] = 0x5A;
                              }));
        b.ScriviFile(QStringLiteral("d.var"), diverso);
        e = Cli(b, {QStringLiteral("load-map"), b.Percorso(QStringLiteral("d.var"))}, 0, true);
        QCOMPARE(e.codice, 1);
        QVERIFY2(e.err.contains(QStringLiteral("cannot be backed up")), qPrintable(e.err));
        QCOMPARE(Cli(b, {QStringLiteral("save-map"), b.Percorso(QStringLiteral("dopo.var"))}).codice, 0);
        QCOMPARE(DaFile(b.LeggiFile(QStringLiteral("dopo.var"))), DaFile(vecchio));
    }
};

GASCAL_PROVA(TstMappaGuasti)
#include "tst_mappa_guasti.moc"
