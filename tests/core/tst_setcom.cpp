// The link's pieces without a process: the pipe's frames, the message table
// of SetCom.ini, the ECU messages and waits, the scrambled lines.
#include "RegistroProve.h"
#include "app/Avvio.h"
#include "app/ServiziUiScriptati.h"
#include "app/TestoByte.h"
#include "i18n/CifraRiga.h"
#include "link/CaricaSetCom.h"
#include "link/FramePipe.h"
#include "link/MessaggioEcu.h"
#include "link/Transazioni.h"

#include <QTest>

using namespace gascal;
using namespace Qt::StringLiterals;

namespace {
QByteArray F(std::initializer_list<int> byte)
{
    QByteArray f;
    for (int b : byte)
        f.append(static_cast<char>(b));
    return f;
}
// A command-6 reply that carries this ECU answer.
QByteArray Ecu(std::initializer_list<int> risposta, int statoEcu = 1)
{
    return F({0, 8 + int(risposta.size()), 6, statoEcu, 0, 0, 0, 0}) + F(risposta);
}
QStringList Blocco(const QString &sezione, const QString &id, const QString &variabili)
{
    return {sezione, id, u"Name"_s, u"41020321"_s, u" 1 "_s, u"x"_s, u"y"_s, variabili};
}
} // namespace

class TstSetCom : public QObject
{
    Q_OBJECT
private slots:
    void framesOfThePipe()
    {
        // Little-endian length, data after the header.
        QCOMPARE(FramePipe::Richiesta(2, 0, 0, 0, 0, 0, {}), F({8, 0, 2, 0, 0, 0, 0, 0}));
        const QByteArray dati(300, 'x');
        QCOMPARE(FramePipe::Richiesta(6, 0, 0, 0, 0, 0, dati), F({308 & 0xFF, 1, 6, 0, 0, 0, 0, 0}) + dati);
        // Replies: big-endian length; whole frames split by it.
        const QByteArray due = F({0, 9, 3, 1, 0, 0, 0, 0, 0}) + F({0, 8, 6, 0, 0, 0, 0, 0});
        QCOMPARE((QList<qsizetype>{FramePipe::LunghezzaFrame(due), FramePipe::LunghezzaFrame(due.mid(9)),
                             FramePipe::LunghezzaFrame(due.left(8)), FramePipe::LunghezzaFrame(F({0, 7, 6, 0, 0, 0, 0, 0}))}),
                 (QList<qsizetype>{9, 8, 0, 0})); // says 9, has 8; below the header

        // Each reply code's payload and status; a length field that is not
        // the bytes received leaves the status bytes as they were.
        const struct {
            const char *nome;
            QByteArray frame;
            int stato;
            QByteArray dati;
        } casi[] = {
            {"code 9 invalid", F({0, 8, 9, 1, 0, 0, 0, 0}), 2, {}},
            {"code 12 invalid", F({0, 8, 12, 1, 0, 0, 0, 0}), 2, {}},
            {"code 4 without payload", F({0, 8, 4, 1, 0, 0, 0, 0}), 3, {}},
            {"code 4 one byte", F({0, 10, 4, 1, 0, 2, 0, 0, 2, 9}), 0, F({2})},
            {"code 3 without payload", F({0, 8, 3, 1, 0, 0, 0, 0}), 0, {}},
            {"code 3 keeps byte 8 only", F({0, 15, 3, 1, 0, 0, 0, 0, 0, 0x42, 1, 4, 0x21, 0, 0x66}), 0, F({0})},
            {"code 11 exactly 10 bytes", F({0, 10, 11, 1, 0, 0, 0, 0, 1, 0}), 0, F({1, 0})},
            {"code 11 short", F({0, 9, 11, 1, 0, 0, 0, 0, 1}), 3, {}},
            {"code 0 all the rest", F({0, 11, 0, 1, 0, 0, 0, 0, 7, 8, 9}), 0, F({7, 8, 9})},
            {"code 6 empty", F({0, 8, 6, 1, 0, 0, 0, 0}), 0, {}},
            {"code 6 payload", F({0, 10, 6, 1, 0, 0, 0, 0, 0x41, 2}), 0, F({0x41, 2})},
            {"code 1 no payload", F({0, 9, 1, 1, 0, 0, 0, 0, 5}), 0, {}},
            {"says 10, 9 came", F({0, 10, 6, 0, 0, 0, 0, 0, 5}), 1, {}},
            {"below the header", F({0, 7, 6, 0, 0, 0, 0}), 1, {}},
        };
        for (const auto &c : casi) {
            RispostaPipe r;
            r.RispByte4 = 7;
            r.RispDati = "old";
            const int stato = FramePipe::DecodificaRisposta(c.frame, r);
            const bool errata = stato == FramePipe::LunghezzaErrata;
            const auto testo = [&c](int s, const QByteArray &d, int byte4, int codice) {
                return u"%1: %2 %3 %4 %5"_s.arg(QLatin1String(c.nome)).arg(s).arg(QLatin1String(d.toHex())).arg(byte4).arg(codice);
            };
            QCOMPARE(testo(stato, r.RispDati, r.RispByte4, errata ? r.RispCodice : 0),
                     testo(c.stato, c.dati, errata ? 7 : 1, errata ? -1 : 0));
        }
    }

    // Which reply frames can answer which request (the rest are replies to
    // requests given up earlier).
    void replyMatchesRequest()
    {
        const QByteArray leggi21 = F({0x41, 2, 3, 0x21, 0x61});
        const struct {
            const char *nome;
            QByteArray frame;
            int comando;
            QByteArray dati;
            bool risponde;
        } casi[] = {
            {"same code", F({0, 8, 2, 1, 0, 0, 0, 0}), 2, {}, true},
            {"other code", F({0, 9, 3, 1, 0, 0, 0, 0, 0}), 6, leggi21, false},
            {"code 0: request not understood", F({0, 8, 0, 8, 0, 0, 0, 0}), 4, {}, true},
            {"invalid code left to the check", F({0, 8, 9, 1, 0, 0, 0, 0}), 6, leggi21, true},
            {"service + 0x40", Ecu({0x41, 2, 6, 0x61, 1, 0}), 6, leggi21, true},
            {"other service", Ecu({0x41, 2, 6, 0x62, 1, 0}), 6, leggi21, false},
            {"request echoed", Ecu({0x41, 2, 6, 0x21, 1, 0}), 6, leggi21, false},
            {"refusal of this service", Ecu({0x41, 2, 6, 0x7F, 0x21, 0}), 6, leggi21, true},
            {"refusal of another", Ecu({0x41, 2, 6, 0x7F, 0x22, 0}), 6, leggi21, false},
            {"service wraps past 0xFF", Ecu({0x41, 2, 6, 0x00, 1, 0}), 6, F({0x41, 2, 3, 0xC0, 0}), true},
            {"no ECU answer: nothing to compare", Ecu({}, 0), 6, leggi21, true},
            {"garbled answer: not judged", Ecu({0x41, 2, 6, 0x62, 1, 0}, 2), 6, leggi21, true},
        };
        for (const auto &c : casi)
            QVERIFY2(FramePipe::RispondeA(c.frame, quint8(c.comando), c.dati) == c.risponde, c.nome);
    }

    void sectionsAndRecords()
    {
        QStringList righe = Blocco(u"[msg]"_s, u"1"_s, u"UB,6,1"_s) + Blocco(u"[MSG]"_s, u"7"_s, u"UW, 6 ,10; SB,8,1"_s)
            + Blocco(u" [MSG]"_s, u"9"_s, u"UB,6,1"_s) + Blocco(u"[MSG]"_s, u"abc"_s, u"UB,6;UW,x,2;SB,9,3"_s);
        righe << u"[AttesaPipe_usec]"_s << u"3000000"_s << u"[solo USB]"_s << u"TRUE"_s << u"[FIRMWARE]"_s
              << u"4102"_s << u"[firmware]"_s << u"ABC"_s << u"[MolAttesaGlobale]"_s << u"many"_s
              << u"[AttesaGlobale_usec]"_s;
        TabellaMessaggi tab;
        ImpostazioniLink link;
        link.MolAttesaGlobale = 4;
        InterpretaSetCom(righe, tab, link);
        QCOMPARE(tab.size(), 3); // the section line with a leading blank is not one
        QCOMPARE(tab[0].Id, 1);
        QCOMPARE(tab[0].Offset, QVector<qint32>{6});
        QVERIFY(tab[0].Flag);
        QCOMPARE(tab[1].Id, 7);
        QCOMPARE(tab[1].Tipi, (QStringList{"UW", "SB"}));
        QCOMPARE(tab[1].Scala, (QVector<qint32>{10, 1}));
        QCOMPARE(tab[1].Richiesta, u"41020321"_s);
        // A malformed entry keeps its place; the number that is no number reads 0.
        QCOMPARE(tab[2].Id, 0);
        QCOMPARE(tab[2].Tipi.mid(1), (QStringList{"UW", "SB"}));
        QCOMPARE(tab[2].Offset.mid(1), (QVector<qint32>{0, 9}));
        QCOMPARE(link.AttesaPipe_usec, 3000000);
        QVERIFY(link.SoloUsb);
        QCOMPARE(link.ListaFirmware, (QList<QByteArray>{"\x41\x02", QByteArray("\x0A\xBC", 2)}));
        QCOMPARE(link.MolAttesaGlobale, 4);
        QCOMPARE(link.AttesaGlobale_usec, 0);

        // No file: one empty record and one empty firmware, no expected firmware.
        ServiziUiScriptati ui;
        CaricaSetCom(u"/nonexistent/SetCom.ini"_s, tab, link, ui);
        QCOMPARE(tab.size(), 1);
        QCOMPARE(link.ListaFirmware, QList<QByteArray>{QByteArray()});
        QVERIFY(Avvio::FirmwareDaSonda(link.ListaFirmware[0]).isEmpty());
    }

    void messagesAndWaits()
    {
        QCOMPARE(MessaggioEcu::ComponiMessaggio(0x41, 2, 16, QByteArray("\x01\x02", 2)),
                 QByteArray("\x41\x02\x05\x10\x01\x02\x55", 7));
        ImpostazioniLink link;
        link.AttesaGlobale_usec = 250000;
        link.MolAttesaGlobale = 4;
        QCOMPARE(Transazioni::DatiAttesa(link.AttesaEcuMs(true)), QByteArray("\xE8\x03\x00\x00", 4));
        QCOMPARE(Transazioni::DatiAttesa(link.AttesaEcuMs(false)), QByteArray("\xFA\x00\x00\x00", 4));
        // Only the low 16 bits travel.
        QCOMPARE(Transazioni::DatiAttesa(70000), QByteArray("\x70\x11\x00\x00", 4));
        // The expected firmware is the identity inside the first probe answer.
        QCOMPARE(Avvio::FirmwareDaSonda(HexToStr(u"41020A610112345678FF"_s)), HexToStr(u"12345678"_s));
        QVERIFY(Avvio::FirmwareDaSonda(QByteArray(5, 'x')).isEmpty());
    }

    // Unscrambled, damaged or plain lines are refused (the round trip of every
    // line is the dictionary fuzz target's).
    void scrambledLinesRefuseWhatIsNotOne()
    {
        QString s = CriptaRiga(u"Привіт ไทย"_s);
        QVERIFY(!s.contains(QLatin1Char('\r')) && !s.contains(QLatin1Char('\n')));
        QString fuori = u"x"_s;
        QVERIFY(!DecriptaRiga(u"[MSG]"_s, fuori));
        QVERIFY(fuori.isEmpty());
        s = CriptaRiga(u"KESTRONAX"_s);
        s[4] = s[4] == QLatin1Char('0') ? QLatin1Char('1') : QLatin1Char('0');
        QVERIFY(!DecriptaRiga(s, fuori));
    }
};

GASCAL_PROVA(TstSetCom)
#include "tst_setcom.moc"
