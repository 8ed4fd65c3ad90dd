#include "RegistroProve.h"
#include "BancoEcu.h"

#include "app/TestoByte.h"
#include "ecu/SequenzeBlocchi.h"
#include "link/MessaggioEcu.h"
#include "mapfile/Mappa.h"

#include <QDir>
#include <QTest>

using namespace gascal;

namespace {

// The lines of a map file (split on CR LF) and the hex line after a section.
QString Sezione(const QByteArray &testo, const char *nome)
{
    const QList<QByteArray> righe = testo.split('\n');
    for (qsizetype i = 0; i + 1 < righe.size(); ++i) {
        if (righe[i].trimmed() == nome)
            return QString::fromLatin1(righe[i + 1].trimmed());
    }
    return {};
}

// A block line without its header and checksum.
QString Dati(const QByteArray &testo, const char *nome)
{
    const QString riga = Sezione(testo, nome);
    return riga.mid(10, riga.size() - 12);
}

const char *const Caricate[] = {"[BLK_2]", "[BLK_3]", "[BLK_5]", "[MAP_0]"};

// A block line with its checksum made right again after a change.
QString ConChecksum(const QString &riga)
{
    QByteArray b = HexToStr(riga);
    b.chop(1);
    return StrToHex(b + char(MessaggioEcu::ChecksumXor(b)));
}

} // namespace

// Saving and loading map files with two virtual ECUs.
class TstMappa : public QObject
{
    Q_OBJECT

    // Connects a bench to its own fresh ECU.
    static bool Connetti(BancoEcu &b, const QStringList &opzioni = {})
    {
        return b.AvviaEcu(opzioni) && b.Avvia() && b.Cerca();
    }

    static QByteArray Salva(BancoEcu &b, const QString &nome)
    {
        b.ctx->stato.StatoProgramma = StatoApp::Operazione;
        const bool ok = Mappa(*b.ctx).SalvaMappa(b.Percorso(nome));
        b.ctx->stato.StatoProgramma = StatoApp::Connesso;
        return ok ? b.LeggiFile(nome) : QByteArray();
    }

    // Changes the configuration, block 5 and the calibration map of an ECU.
    static bool Modifica(BancoEcu &b, int passo = 3)
    {
        Contesto &ctx = *b.ctx;
        SequenzeBlocchi seq(ctx);
        ctx.code.ValoriDaScrivere.Aggiungi(40 + passo, 0, 0);   // switch-over temperature
        ctx.code.ValoriDaScrivere.Aggiungi(7000 + passo, 14, 0); // switch-over delay
        if (!seq.ScriviBlk3())
            return false;
        QByteArray mappa(56, '\0');
        for (int i = 0; i < 56; ++i)
            mappa[i] = static_cast<char>(i * passo - 40);
        QByteArray blk5 = Blocco::CodificaBlocco(ctx.TabMsg[Contesto::RecBlk5]);
        blk5[9] = static_cast<char>(30 + passo);
        ctx.code.DatiMap0 = mappa;
        ctx.code.DatiBlk5 = blk5;
        return seq.ScriviMappe();
    }

private slots:
    void savedFileLoadsIntoAnotherEcu()
    {
        BancoEcu uno;
        QVERIFY(Connetti(uno));
        QVERIFY(Modifica(uno));
        const QByteArray a = Salva(uno, QStringLiteral("a.var"));
        QVERIFY(!a.isEmpty());
        QCOMPARE(a.count("\r\n"), 19);
        QVERIFY(a.startsWith("[INFO]\r\n" + uno.ctx->diz.Testo(0).toLocal8Bit() + " - 1.28 - 28/11/14 , file created "));
        // The pedestal guard is saved on.
        QCOMPARE(Sezione(a, "[BLK_3]").mid(26, 2), QStringLiteral("01"));
        const QByteArray fw = HexToStr(Sezione(a, "[FW]"));
        QCOMPARE(fw.mid(5).chopped(1), uno.ctx->TabMsg[Contesto::RecIdentita].Immagine);
        QVERIFY(a.contains("[FW]\r\n" + Sezione(a, "[FW]").toLatin1() + "\r\n" + fw + "\r\n[COLL]\r\n"));
        // Saving changes none of the program's records.
        QCOMPARE(uno.ctx->TabMsg[Contesto::RecConfig].Valori[6], 0);

        // A second ECU with another firmware date and the defaults.
        BancoEcu due;
        QVERIFY(Connetti(due, {QStringLiteral("--identity"), QStringLiteral("012801012015414243")}));
        const QByteArray prima = Salva(due, QStringLiteral("prima.var"));
        QVERIFY(Dati(prima, "[MAP_0]") != Dati(a, "[MAP_0]"));
        QVERIFY(Mappa(*due.ctx).CaricaMappa(uno.Percorso(QStringLiteral("a.var"))));
        QVERIFY(due.ui.mostrati.isEmpty());
        const QByteArray b = Salva(due, QStringLiteral("b.var"));
        for (const char *s : Caricate)
            QCOMPARE(Dati(b, s), Dati(a, s));
        QVERIFY(Sezione(b, "[FW]") != Sezione(a, "[FW]"));

        // Only the four loaded sections, with LF line ends, load the same; the
        // ECU's fuel request and state go to 0, its other values are the file's.
        QVERIFY(Modifica(due, 1));
        QVERIFY(Dati(Salva(due, QStringLiteral("d.var")), "[MAP_0]") != Dati(a, "[MAP_0]"));
        QByteArray ridotto;
        for (const char *s : Caricate) {
            QString riga = Sezione(a, s);
            if (QByteArray(s) == "[BLK_2]")
                riga = ConChecksum(riga.left(10) + "030300005A" + riga.mid(20)); // values 0 to 4 of record 2
            ridotto += QByteArray(s) + "\n" + riga.toLatin1() + "\n";
        }
        due.ScriviFile(QStringLiteral("ridotto.var"), ridotto);
        QVERIFY(Mappa(*due.ctx).CaricaMappa(due.Percorso(QStringLiteral("ridotto.var"))));
        const QByteArray c = Salva(due, QStringLiteral("c.var"));
        for (const char *s : {"[BLK_3]", "[BLK_5]", "[MAP_0]"})
            QCOMPARE(Dati(c, s), Dati(a, s));
        QCOMPARE(Dati(c, "[BLK_2]").left(10), QStringLiteral("000000005A"));
    }

    void failedSaveLeavesTheOldFile()
    {
        BancoEcu b;
        QVERIFY(Connetti(b));
        const QByteArray vecchio = "old map\r\n";
        b.ScriviFile(QStringLiteral("m.var"), vecchio);
        b.FermaEcu();
        QVERIFY(!Mappa(*b.ctx).SalvaMappa(b.Percorso(QStringLiteral("m.var"))));
        QCOMPARE(b.LeggiFile(QStringLiteral("m.var")), vecchio);
        // No half-written file beside it either.
        QCOMPARE(QDir(b.Cartella()).entryList({QStringLiteral("m.var*")}, QDir::Files),
                 QStringList{"m.var"});
        // The mode switch was undone.
        QCOMPARE(b.ctx->link.RispCodice(), 4);
        QCOMPARE(b.ctx->link.RispByte6(), 0);
    }

    void malformedFileIsRefusedBeforeAnyTransaction()
    {
        BancoEcu b;
        QVERIFY(Connetti(b));
        const QByteArray originale = Salva(b, QStringLiteral("orig.var"));
        // Good blocks that differ from the ECU's, then a bad one.
        QByteArray testo = originale;
        const QString blk3 = Sezione(originale, "[BLK_3]");
        testo.replace(blk3.toLatin1(), ConChecksum(QString(blk3).replace(10, 2, QStringLiteral("30"))).toLatin1());
        testo.replace("[MAP_0]\r\n41023E", "[MAP_0]\r\n41023G");
        b.ScriviFile(QStringLiteral("bad.var"), testo);

        // A fuel in use would otherwise switch the ECU first.
        b.ctx->TabMsg[Contesto::RecComandi].Valori[1] = 3;
        b.ctx->link.InviaComando(11, {}, 1000000);
        QCOMPARE(b.ctx->link.RispCodice(), 11);
        QVERIFY(!Mappa(*b.ctx).CaricaMappa(b.Percorso(QStringLiteral("bad.var"))));
        QCOMPARE(b.ctx->link.RispCodice(), 11); // nothing was sent
        QCOMPARE(b.ui.Testi(), QStringList{b.ctx->diz.Testo(10) + "\r\n\r\n"
                                           + Mappa::ControllaFile(b.Percorso(QStringLiteral("bad.var")))});
        QVERIFY(b.ui.Testi()[0].contains(QStringLiteral("[MAP_0] is not hex")));

        b.ctx->TabMsg[Contesto::RecComandi].Valori[1] = 0;
        const QByteArray dopo = Salva(b, QStringLiteral("dopo.var"));
        for (const char *s : Caricate)
            QCOMPARE(Dati(dopo, s), Dati(originale, s));
    }
};

GASCAL_PROVA(TstMappa)
#include "tst_mappa.moc"
