// resources/SetCom.ini against ecusim's memory, read by the program's and ecusim's readers.
#include "RegistroProve.h"

#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "ecu/Blocco.h"
#include "link/CaricaSetCom.h"

#include "EcuDefaults.h"
#include "MemoryBlocks.h"
#include "ServiceHandler.h"
#include "SetComFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace gascal;
using namespace Qt::StringLiterals;
using C = Contesto;

class TestSetComTable : public QObject
{
    Q_OBJECT
    ServiziUiScriptati m_ui;
    Contesto m_ctx{m_ui};
    QList<QByteArray> m_risposte;

    static QByteArray Risposta(EcuDefaults::Fuel fuel, const char *richiesta)
    {
        MemoryBlocks m;
        EcuDefaults::apply(m, fuel);
        return ServiceHandler(m, true).handle(QByteArray::fromHex(richiesta));
    }

private slots:
    void initTestCase()
    {
        QFile file(QStringLiteral(SETCOM_PATH));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray testo = file.readAll();
        QVERIFY2(testo.count('\n') == testo.count("\r\n") && testo.endsWith("\r\n"), "every line ends with CR LF");
        CaricaSetCom(QStringLiteral(SETCOM_PATH), m_ctx.TabMsg, m_ctx.impLink, m_ui);
        QCOMPARE(m_ctx.TabMsg.size(), 7);
        MemoryBlocks memoria;
        EcuDefaults::apply(memoria);
        ServiceHandler servizi(memoria, true);
        SetComFile ecusim;
        QString errore;
        QVERIFY2(ecusim.load(QStringLiteral(SETCOM_PATH), &errore), qPrintable(errore));
        const QStringList problemi = ecusim.check(servizi);
        QVERIFY2(problemi.isEmpty(), qPrintable(problemi.join('\n')));
        for (const MsgRecord &r : m_ctx.TabMsg)
            m_risposte << servizi.handle(QByteArray::fromHex(r.Richiesta.toLatin1()));
        for (int n : {C::RecConfig, C::RecIdentita, C::RecLive, C::RecComandi, C::RecBlk5, C::RecProduzione, C::RecMappa})
            m_ctx.Decodifica(n, m_risposte.at(n));   // the live speed needs the configuration's factor
        QVERIFY2(m_ui.mostrati.isEmpty(), qPrintable(m_ui.Testi().join('\n'))); // no variable outside its answer
    }

    // Each record answered by its service; its encoded values are the answer's data byte for byte.
    void recordsAndWrittenBlocks()
    {
        const int servizi[] = {33, 11, 13, 14, 49, 15, 18};
        const int almeno[] = {6, 12, 6, 27, 9, 8, 56}; // the values the program uses
        QSet<int> id;
        for (int n = 0; n < 7; ++n) {
            const MsgRecord &r = m_ctx.TabMsg.at(n);
            QCOMPARE(quint8(m_risposte.at(n).at(3)), quint8(servizi[n] + 0x40));
            QVERIFY(r.NumeroVariabili() >= almeno[n]);
            QVERIFY(!id.contains(r.Id) && ((n == 1 || n == 5) ? r.Id == n : r.Id != 1 && r.Id != 5));
            id.insert(r.Id);
        }
        // Pivots and map points are sent as one byte per value, unscaled.
        for (int n : {C::RecBlk5, C::RecMappa})
            for (int k = 0; k < m_ctx.TabMsg[n].NumeroVariabili(); ++k)
                QVERIFY(m_ctx.TabMsg[n].Tipi[k] == "UB"_L1 && m_ctx.TabMsg[n].Scala[k] == 1);
        QCOMPARE(m_ctx.TabMsg[C::RecMappa].NumeroVariabili(), 56);
        QVERIFY2(m_risposte.at(C::RecConfig).size() > 27, "a map file marks the configuration only when it is longer than 27 bytes");
        for (int n : {C::RecComandi, C::RecConfig, C::RecBlk5, C::RecProduzione, C::RecMappa})
            QCOMPARE(Blocco::CodificaBlocco(m_ctx.TabMsg[n]).toHex(), m_risposte.at(n).mid(5).chopped(1).toHex());
    }

    // The first two firmware entries are ecusim's LPG and CNG identities; no CR or LF checksum.
    void firmwareEntriesAreEcusimsIdentities()
    {
        const QList<QByteArray> &firmware = m_ctx.impLink.ListaFirmware;
        QVERIFY(firmware.size() >= 2);
        QCOMPARE(firmware.first().toHex(), m_risposte.at(C::RecIdentita).toHex());
        QCOMPARE(firmware.at(1).toHex(), Risposta(EcuDefaults::Fuel::Cng, "4102032161").toHex());
        for (const QByteArray &f : firmware)
            QVERIFY2(f.back() != '\n' && f.back() != '\r', qPrintable(f.toHex()));
        QVERIFY(firmware.at(1).at(5) == firmware.first().at(5) && quint8(firmware.at(1).at(6)) < quint8(firmware.first().at(6)));
    }

    void factoryContentsDecodeSensibly()
    {
        const auto v = [this](int n, int k) { return m_ctx.Valore(n, k); };
        QVERIFY2(v(C::RecLive, 6) & 1, "ignition on, live data valid");
        QVERIFY2(v(C::RecLive, 4) >= 600 && v(C::RecLive, 4) <= 1000, qPrintable(QString::number(v(C::RecLive, 4))));
        QVERIFY(v(C::RecLive, 11) >= 0 && v(C::RecLive, 11) <= 55); // working point
        QCOMPARE(v(C::RecComandi, 0) + v(C::RecComandi, 1), 0);      // on petrol
        for (int k = 8; k < 11; ++k)
            QVERIFY(v(C::RecConfig, k) < v(C::RecConfig, k + 1)); // level thresholds ascend
        QCOMPARE(v(C::RecConfig, 22), 25500);                     // max power off, as the editor writes it
        QVERIFY(v(C::RecConfig, 25) != 0);                        // a pressure sensor, not interpolation
        QCOMPARE(m_ctx.TabMsg[C::RecBlk5].Valori.mid(0, 9), (QVector<qint32>{0, 6, 10, 16, 27, 35, 41, 49, 55}));
        QVERIFY(v(C::RecProduzione, 6) == 4 || v(C::RecProduzione, 6) == 6);

        // ecusim's reader refuses a position that no answer can have (it overflowed).
        QTemporaryDir dir;
        QFile file(dir.filePath(u"SetCom.ini"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[MSG]\r\n1\r\nLive\r\n4102030B4A\r\n0\r\n\r\n\r\nUB,6,1;SL,2147483647,1\r\n");
        file.close();
        SetComFile tabella;
        QString errore;
        QVERIFY(!tabella.load(file.fileName(), &errore));
        QVERIFY2(errore.contains("2147483647"_L1) && errore.contains("Live"_L1), qPrintable(errore));
    }
};

GASCAL_PROVA(TestSetComTable)
#include "tst_setcom_table.moc"
