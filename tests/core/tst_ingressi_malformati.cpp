// Malformed input from files, the pipe and the ECU is refused or skipped,
// never a crash: random and truncated data through every reader.
#include "RegistroProve.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "ecu/Definizioni.h"
#include "link/CaricaSetCom.h"
#include "link/FramePipe.h"
#include "mapfile/FileMappa.h"
#include "mapfile/Identita.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace gascal;

namespace {
QByteArray Casuali(QRandomGenerator &g, int massimo)
{
    QByteArray b(static_cast<qsizetype>(g.bounded(massimo + 1)), '\0');
    for (char &c : b)
        c = static_cast<char>(g.bounded(256));
    return b;
}

// Lines made of the pieces a reader looks for, in random order and cut short.
QStringList RigheCasuali(QRandomGenerator &g, const QStringList &pezzi, int quante)
{
    QStringList righe;
    for (int i = 0; i < quante; ++i) {
        QString riga = pezzi.at(g.bounded(static_cast<int>(pezzi.size())));
        riga.truncate(g.bounded(static_cast<int>(riga.size()) + 1));
        righe << (g.bounded(4) == 0 ? riga : pezzi.at(g.bounded(static_cast<int>(pezzi.size()))));
    }
    return righe;
}
} // namespace

class TstIngressiMalformati : public QObject
{
    Q_OBJECT
private slots:
    void replyFrames()
    {
        QRandomGenerator g(7);
        for (int i = 0; i < 20000; ++i) {
            QByteArray frame = Casuali(g, 40);
            if (frame.size() >= 2 && g.bounded(2)) { // a consistent length field half of the time
                frame[0] = static_cast<char>(frame.size() >> 8);
                frame[1] = static_cast<char>(frame.size() & 0xFF);
            }
            RispostaPipe r;
            const int stato = FramePipe::DecodificaRisposta(frame, r);
            QVERIFY(stato >= 0 && stato <= 3);
            QVERIFY(r.RispDati.size() <= qMax<qsizetype>(0, frame.size() - 8));
        }
    }

    void settingsAndScaleConfiguration()
    {
        QRandomGenerator g(11);
        ServiziUiScriptati ui;
        const QStringList pezzi{"[MSG]", "[FIRMWARE]", "[solo usb]", "[AttesaPipe_usec]", "1", "x",
                                "UB,6,1;SL,-5,2;UW,99999999999,1", ";;,,", "4102032161", "ZZ",
                                "[InjType_012]", "[GasLevel_1]", "[Lambda_]", "[SensTemp_",
                                "[SensPress_07]", "[SommaTempoInj_usec]", "1e999", "-"};
        for (int i = 0; i < 300; ++i) {
            const QStringList righe = RigheCasuali(g, pezzi, 1 + g.bounded(60));
            TabellaMessaggi tab;
            ImpostazioniLink link;
            InterpretaSetCom(righe, tab, link);
            QVERIFY(!tab.isEmpty());
            for (const MsgRecord &r : tab) {
                QCOMPARE(r.Tipi.size(), r.Valori.size());
                QCOMPARE(r.Offset.size(), r.Valori.size());
                QCOMPARE(r.Scala.size(), r.Valori.size());
                MsgRecord copia = r;
                Blocco::DecodificaBlocco(Casuali(g, 30), copia); // any image, any layout
                Blocco::CodificaBlocco(copia);
            }
            TabelleScala scale;
            scale.CaricaScale(righe, ui);
        }
    }

    void definitionAndMapFiles()
    {
        QRandomGenerator g(13);
        QTemporaryDir dir;
        const QString percorso = dir.filePath(QStringLiteral("x.var"));
        const QStringList pezzi{"[BLK_1]", "[BLK_2]", "[BLK_3]", "[BLK_5]", "[MAP_0]", "[FW]",
                                "41020D4D010000000000000002", "4102", "GG", "", "41020D4D0100000"};
        for (int i = 0; i < 300; ++i) {
            QByteArray testo = RigheCasuali(g, pezzi, g.bounded(14)).join(QStringLiteral("\r\n")).toLatin1();
            if (g.bounded(5) == 0)
                testo += Casuali(g, 50);
            QFile file(percorso);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(testo);
            file.close();

            ServiziUiScriptati ui;
            Contesto ctx(ui);
            InterpretaSetCom({}, ctx.TabMsg, ctx.impLink);
            ctx.TabMsg.resize(7);
            Definizioni::CaricaDefinizioni(ctx, percorso);
            FileMappa::BlocchiCaricati blocchi;
            const QString motivo = FileMappa::Leggi(testo, blocchi);
            Q_UNUSED(motivo);
        }
    }

    void identities()
    {
        QRandomGenerator g(17);
        for (int i = 0; i < 5000; ++i) {
            const QByteArray id = Casuali(g, 24);
            Identita::FormatVersione(id);
            Identita::IdCodice(id);
            Identita::TerzaParola(id);
            QCOMPARE(Identita::IdByte4(id), id.size() > 4 ? static_cast<quint8>(id[3]) : 0);
        }
    }
};

GASCAL_PROVA(TstIngressiMalformati)
#include "tst_ingressi_malformati.moc"
