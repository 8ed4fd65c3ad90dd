#include "RegistroProve.h"
#include "app/TestoByte.h"
#include "ecu/Blocco.h"

#include <QTest>

using namespace gascal;

namespace {
MsgRecord Record(std::initializer_list<std::tuple<const char *, int, int>> variabili, int id = 9)
{
    MsgRecord r;
    r.Id = id;
    r.Dimensiona(static_cast<qsizetype>(variabili.size()));
    int i = 0;
    for (const auto &[tipo, offset, scala] : variabili) {
        r.Tipi[i] = QString::fromLatin1(tipo);
        r.Offset[i] = offset;
        r.Scala[i] = scala;
        ++i;
    }
    return r;
}
QByteArray Byte(const char *hex) { return HexToStr(QString::fromLatin1(hex)); }
} // namespace

class TstBlocco : public QObject
{
    Q_OBJECT
private slots:
    void decodeTypes()
    {
        MsgRecord r = Record({{"SB", 1, 1}, {"SB", 1, 10}, {"UW", 2, 1}, {"SW", 4, 1},
                              {"SL", 5, 1}, {"SL", 9, 1}, {"UB", 1, 3}});
        const QByteArray img = Byte("FF3412FEFF" "00010000" "00000001");
        // positions:              1 2 3 4 5    6 7 8 9     10..13
        const QVector<int> mancanti = Blocco::DecodificaBlocco(img, r);
        QCOMPARE(r.Valori[0], -1);
        QCOMPARE(r.Valori[1], -10);
        QCOMPARE(r.Valori[2], 4660);
        QCOMPARE(r.Valori[3], -2);
        QCOMPARE(r.Valori[4], 1);     // bytes 00 01 00 00 at P+1..P+4
        QCOMPARE(r.Valori[5], 65536); // bytes 00 00 00 01
        QCOMPARE(r.Valori[6], 765);
        QVERIFY(mancanti.isEmpty());
    }

    void variableOutsideImageKeepsValueAndIsReported()
    {
        MsgRecord r = Record({{"UB", 1, 1}, {"UW", 3, 1}, {"XX", 1, 1}});
        r.Valori = {0, 77, 5};
        const QVector<int> mancanti = Blocco::DecodificaBlocco(Byte("0102"), r);
        QCOMPARE(r.Valori, (QVector<qint32>{1, 77, 5}));
        QCOMPARE(mancanti, (QVector<int>{1, 2}));
    }

    void encodeRounding()
    {
        MsgRecord r = Record({{"SB", 1, 1}, {"SB", 1, 1}, {"UB", 1, 10}, {"UB", 1, 10},
                              {"SB", 1, 10}, {"SB", 1, 10}, {"UW", 1, 1}, {"SW", 1, 1}});
        r.Valori = {200, -300, 25, 35, 25, -25, 0x1234, -2};
        QCOMPARE(Blocco::CodificaBlocco(r), Byte("7F80020402FD3412FEFF"));
    }

    void slRoundTrip()
    {
        MsgRecord r = Record({{"UB", 1, 1}, {"SL", 1, 1}});
        r.Valori = {0, -123456789};
        // The write layout is the read layout: a pad byte stands for the
        // one the "SL" variable skips.
        const QByteArray dati = Blocco::CodificaBlocco(r);
        MsgRecord letto = Record({{"SL", 1, 1}});
        Blocco::DecodificaBlocco(dati, letto);
        QCOMPARE(letto.Valori[0], -123456789);
    }

    void liveRecordDerivedValues()
    {
        MsgRecord r = Record({{"UB", 1, 1}, {"UW", 2, 1}, {"UB", 1, 1}, {"UB", 1, 1},
                              {"UW", 4, 1}, {"UB", 1, 1}, {"UB", 6, 1}}, Blocco::IdDatiLive);
        AmbienteDecodifica amb;
        amb.SommaTempoInj_usec = 250.5;
        amb.Valore20Record3 = 2;
        // time 1000 us, period 5000, flags 1
        Blocco::DecodificaBlocco(Byte("00E80388130100"), r, amb);
        QCOMPARE(r.Valori[1], 1250); // 1250.5 goes to the even 1250
        QCOMPARE(r.Valori[4], 3000); // 30000000 / (5000 * 2)
        Blocco::DecodificaBlocco(Byte("00E80388130000"), r, amb);
        QCOMPARE(r.Valori[4], 0);    // engine data not valid
        amb.Valore20Record3.reset();
        Blocco::DecodificaBlocco(Byte("00000088130100"), r, amb);
        QCOMPARE(r.Valori[4], 5000); // no factor yet: scaled value kept
        QCOMPARE(r.Valori[1], 0);    // no time, no offset
        amb.InterpolazioneAttiva = true;
        amb.ConvertiMapSens = [](qint32 v) { return v + 1000; };
        Blocco::DecodificaBlocco(Byte("00000088130100"), r, amb);
        QCOMPARE(r.Valori[5], 1000);
    }

    void productionRecordValue6()
    {
        MsgRecord r = Record({{"UB", 1, 1}, {"UB", 1, 1}, {"UB", 1, 1}, {"UB", 1, 1},
                              {"UB", 1, 1}, {"UB", 1, 1}, {"UB", 2, 1}}, Blocco::IdProduzione);
        Blocco::DecodificaBlocco(Byte("0003"), r);
        QCOMPARE(r.Valori[6], 8);
        Blocco::DecodificaBlocco(Byte("0004"), r);
        QCOMPARE(r.Valori[6], 4);
        Blocco::DecodificaBlocco(Byte("0006"), r);
        QCOMPARE(r.Valori[6], 6);
    }
};

GASCAL_PROVA(TstBlocco)
#include "tst_blocco.moc"
