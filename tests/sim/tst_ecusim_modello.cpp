// ecusim's engine and car in this process, stepped in model time; SetCom.ini read by both readers.
#include "RegistroProve.h"
#include "FileProva.h"
#include "OrologioPasso.h"

#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "link/CaricaSetCom.h"

#include "ControlCommands.h"
#include "DefinitionFile.h"
#include "DemoDrive.h"
#include "EcuDefaults.h"
#include "EcuLayout.h"
#include "EngineConstants.h"
#include "EngineModel.h"
#include "MemoryBlocks.h"
#include "ServiceHandler.h"
#include "SetComFile.h"
#include "SimOptions.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;
using Block = MemoryBlocks::Block;
using Fuel = EcuDefaults::Fuel;
namespace L = EcuLayout;
using gascal::Contesto, gascal::ServiziUiScriptati;
using C = Contesto;

namespace {

MemoryBlocks Fabbrica(Fuel fuel)
{
    MemoryBlocks m;
    EcuDefaults::apply(m, fuel);
    return m;
}

// The ECU's memory with its engine and control commands, as ecusim wires them.
struct Ecu {
    MemoryBlocks mem;
    EngineModel motore;
    ControlCommands comandi{motore, &mem};
    explicit Ecu(Fuel fuel = Fuel::Lpg) : mem(Fabbrica(fuel)), motore(mem) { motore.start(); }

    QString Comando(const QString &riga)
    {
        bool fine = false;
        return comandi.execute(riga, &fine);
    }
    // Steps until the condition holds; false when `ms` of model time passed first.
    bool Entro(int ms, const std::function<bool()> &condizione)
    {
        for (int t = 0; t < ms && !condizione(); t += EngineConstants::TickMs)
            motore.step(EngineConstants::TickMs);
        return condizione();
    }
    void Passa(int ms) { Entro(ms, [] { return false; }); }
    int Live(int i) const { return mem.wordAt(Block::Live, i); }
    int Stato() const { return mem.byteAt(Block::Live, L::Live::Status); }
    int Led() const { return Live(L::Live::Leds); }
    int Temperatura() const { return qint8(mem.byteAt(Block::Live, L::Live::Temperature)); }
    int Confermato() const { return mem.byteAt(Block::State, L::State::Confirmed); }
    int Correzione() const { return qint16(Live(L::Live::Correction)) * 4; }
    int Giri() const
    {
        const int periodo = Live(L::Live::Period), fattore = mem.byteAt(Block::Config, L::Config::SpeedFactor);
        return (Stato() & 1) && periodo ? 30000000 / (periodo * fattore) : 0;
    }
    // A write of the command block, as the program makes it.
    void Comandi(int richiesta, int modo, int correzione)
    {
        mem.setByte(Block::State, L::State::Requested, quint8(richiesta));
        mem.setByte(Block::State, L::State::Mode, quint8(modo));
        mem.setWord(Block::State, L::State::GlobalCorrection, quint16(correzione));
        motore.syncCommandBlock();
    }
    // The petrol time averaged over a second once it settled.
    double Benzina()
    {
        Passa(7500);
        double somma = 0;
        for (int i = 0; i < 10; ++i, Passa(500))
            somma += Live(L::Live::PetrolTime) * 4;
        return somma / 10;
    }
};

} // namespace

class TstEcusimModello : public QObject
{
    Q_OBJECT
    ServiziUiScriptati m_ui;
    Contesto m_ctx{m_ui};

private slots:
    // Factory state: key on, idling on petrol, red fuel LED and three level LEDs.
    void ignitionGatesLiveData()
    {
        Ecu e;
        QVERIFY((e.Stato() & 1) && e.Led() == 0x00FF && qAbs(e.Giri() - 800) <= 10);
        QCOMPARE(e.Comando(u"key off"_s), u"ok"_s);
        QVERIFY(e.Entro(500, [&] { return (e.Stato() & 3) == 0 && e.Led() == 0; }));   // no gas valve either
        e.Comando(u"key on"_s);
        QVERIFY(e.Entro(2500, [&] { return (e.Stato() & 1) && qAbs(e.Giri() - 800) <= 10; }));
    }

    // Once settled the period is the exact one for the target and the factor.
    void engineSpeedDecodes()
    {
        for (const auto &[giri, fattore] : {std::pair{2500, 1}, std::pair{2500, 2}, std::pair{5500, 1}}) {
            Ecu e;
            e.mem.setByte(Block::Config, L::Config::SpeedFactor, quint8(fattore));
            e.Comando(u"rpm %1"_s.arg(giri));
            e.Passa(200);
            QVERIFY(e.Stato() & L::Live::StatusTransient); // still on its way up
            QVERIFY2(e.Entro(5000, [&] { return qAbs(e.Live(L::Live::Period) - 30000000 / (giri * fattore)) <= 1; }),
                     qPrintable(QString::number(e.Giri())));
            QVERIFY(e.Entro(1000, [&] { return (e.Stato() & L::Live::StatusTransient) == 0; }));
        }
    }

    void gasRequestFromTheSwitch_data()
    {
        QTest::addColumn<int>("giri");
        QTest::addColumn<int>("temperatura");
        QTest::addColumn<int>("sogliaTemperatura");
        QTest::addColumn<bool>("commuta");
        QTest::newRow("warm, above the switch-over speed") << 2500 << 65 << 35 << true;
        QTest::newRow("reducer cold") << 2500 << 10 << 35 << false;
        QTest::newRow("below the switch-over speed") << 1000 << 65 << 35 << false;
        QTest::newRow("cold, no temperature condition") << 2500 << 10 << 150 << true;
    }
    void gasRequestFromTheSwitch()
    {
        QFETCH(int, giri);
        QFETCH(int, temperatura);
        QFETCH(int, sogliaTemperatura);
        QFETCH(bool, commuta);
        Ecu e;
        e.mem.setByte(Block::Config, L::Config::SwitchTemperature, quint8(sogliaTemperatura));
        e.mem.setWord(Block::Config, L::Config::Delay, 1500); // switch-over speed stays 1500 rpm
        e.Comando(u"temp %1"_s.arg(temperatura));
        e.Comando(u"rpm %1"_s.arg(giri));
        QVERIFY(e.Entro(3000, [&] { return qAbs(e.Giri() - giri) <= 30; }));
        e.Comando(u"fuel gas"_s);
        QCOMPARE(e.mem.byteAt(Block::State, L::State::Requested), 3);
        // Waiting: the fuel LED blinks slowly (high bit only).
        QVERIFY(e.Entro(300, [&] { return (e.Led() & 0x3) == 0x2; }));
        e.Passa(800);
        QCOMPARE(e.Confermato(), 0); // the delay has not passed yet
        QCOMPARE(e.Entro(2500, [&] { return e.Confermato() == 3; }), commuta);
        QCOMPARE(bool(e.Stato() & L::Live::StatusValve), commuta);
        QCOMPARE(e.Led() & 0x0C03, commuta ? 0x0C00 : 0x0002); // orange steady, or still waiting
        e.Comando(u"fuel petrol"_s);
        QVERIFY(e.Entro(500, [&] {
            return e.Confermato() == 0 && (e.Stato() & L::Live::StatusValve) == 0 && (e.Led() & 0x0C03) == 0x0003;
        }));
    }

    // Without the request bit the ECU keeps its own fuel values; end of gas drops to petrol.
    void commandBlockAndEndOfGas()
    {
        Ecu e;
        e.mem.setWord(Block::Config, L::Config::Delay, 0);
        e.mem.setWord(Block::Config, L::Config::EndOfGasTime, 500);
        e.Comando(u"rpm 2500"_s);
        e.mem.setByte(Block::State, L::State::Confirmed, 3);
        e.Comandi(3, 0, 0);
        QCOMPARE(e.mem.byteAt(Block::State, L::State::Requested) + e.Confermato(), 0);
        e.Comando(u"fuel gas"_s);
        QVERIFY(e.Entro(3000, [&] { return e.Confermato() == 3; }));
        e.mem.setByte(Block::State, L::State::Confirmed, 0);
        e.Comandi(0, 0, 0);
        e.Passa(300);
        QCOMPARE(e.Confermato(), 3);

        e.Comando(u"tank 0"_s);
        QVERIFY(e.Entro(3000, [&] { return e.Confermato() == 0; }));
        QVERIFY(e.Live(L::Live::Pressure) < 600);
        QCOMPARE(e.mem.byteAt(Block::State, L::State::Requested), 0);
        QCOMPARE(e.mem.byteAt(Block::State, L::State::Faults) & L::State::FaultEndOfGas, 1);
        QCOMPARE(e.Led() & 0xB000, 0x9000);   // fast beeps, red LED blinking fast
    }

    void tankAndTemperatureInputs()
    {
        Ecu e;
        QVERIFY(qAbs(e.Live(L::Live::LevelFiltered) - 512) <= 3);
        e.Comando(u"tank 10"_s); // about 102 counts
        QVERIFY(e.Entro(500, [&] { return qAbs(e.Live(L::Live::LevelRaw) - 102) <= 4; }));
        QVERIFY2(e.Live(L::Live::LevelFiltered) > 200, "the filtered reading lags");
        QVERIFY(e.Entro(8000, [&] { return qAbs(e.Live(L::Live::LevelFiltered) - 102) <= 2; }));
        QCOMPARE(e.Led() & 0x3FC, 0x00C); // reserve LED alone, steady
        e.Comando(u"tank 5"_s);           // below the lowest threshold (100): reserve, fast blink
        QVERIFY(e.Entro(8000, [&] { return (e.Led() & 0x3FC) == 0x004; }));
        // An inverted sensor reads the other way round; the LEDs still show the level.
        e.mem.setWord(Block::Config, L::Config::LevelSensor, 0x2001);
        e.Comando(u"tank 80"_s);
        QVERIFY(e.Entro(8000, [&] { return qAbs(e.Live(L::Live::LevelFiltered) - (1023 - 818)) <= 2; }));
        QCOMPARE(e.Led() & 0x3FC, 0x3FC);

        e.Comando(u"key off"_s); // no warm-up: the value stays where it is set
        for (int gradi : {30, -12}) {
            e.Comando(u"temp %1"_s.arg(gradi));
            e.Passa(150);
            QCOMPARE(e.Temperatura(), gradi);
        }
        // With the engine running the reducer warms up: 0.5 degC/s.
        e.Comando(u"key on"_s);
        QVERIFY(e.Entro(6000, [&] { return e.Temperatura() >= -10; }));
        e.Comando(u"temp 20"_s);
        QVERIFY(e.Entro(32000, [&] { return e.Temperatura() >= 35; }));
    }

    // Petrol: the time is the need; on gas the factory line, the flow and the offset correct it. (Tuning mode:
    // the autotuning runs, whose gas times must match petrol's.)
    void trimAndLine()
    {
        Ecu e;
        e.Comandi(0, 0, 1280);
        e.Passa(200);
        QCOMPARE(e.Correzione(), 128); // factory line, point 10, not value 5 outside tuning mode
        const double benzina = e.Benzina();
        QVERIFY2(qAbs(benzina - 2800) < 30, qPrintable(QString::number(benzina)));
        e.Comando(u"fuel gas"_s);
        e.Comando(u"rpm 2000"_s);
        QVERIFY(e.Entro(25000, [&] { return e.Confermato() == 3; }));
        e.Comando(u"rpm 800"_s);
        const double magro = e.Benzina();
        const double atteso = (2800 + 250) / 0.85 - 128; // the factory line gives 2 steps at point 13
        QVERIFY2(qAbs(magro - atteso) < 100, qPrintable(QString::number(magro)));
        QCOMPARE(e.Comando(u"flow 120"_s), u"ok"_s);
        QCOMPARE(e.Comando(u"offset 0"_s), u"ok"_s);
        const double ricco = e.Benzina();
        QVERIFY2(ricco < benzina * 0.9, qPrintable(QString::number(ricco)));
    }

    void controlCommandsAndOptions()
    {
        Ecu e;
        const QString s = e.Comando(u"state"_s);
        for (const char *campo : {"key=on", "rpm=800", "fuel=petrol", "tank=50", "temp=65", "flow=85", "power=on"})
            QVERIFY2(s.contains(QLatin1String(campo)), qPrintable(s));
        // Bad commands, and numbers that are not finite, change nothing.
        for (const char *errato : {"rpm", "rpm fast", "rpm 99999", "load 101", "tank -1", "key maybe", "fuel diesel",
                                   "jump", "state now", "flow 20", "flow x", "offset 5000", "rpm nan", "load NaN",
                                   "tank -nan", "temp inf", "rpm 1e999", "unplug", "power off"})
            QVERIFY2(e.Comando(QLatin1String(errato)).startsWith("error:"_L1), errato);
        QCOMPARE(e.Comando(u"state"_s), s);   // ("quit": the life cycle through the control channel)

        const QStringList errate[] = {{}, {"--drop-every", "x"}, {"--identity", "0128"},
                                      {"--identity", u"01"_s.repeated(250)}, {"--refuse", "300"}};
        for (const QStringList &argomenti : errate) {
            SimOptions opzioni;
            QString errore;
            const QStringList riga = QStringList{"ecusim"} + (argomenti.isEmpty() ? argomenti : QStringList{"--link", "x"} + argomenti);
            QVERIFY2(!opzioni.parse(riga, &errore) && !errore.isEmpty(), qPrintable(riga.join(' ')));
        }
    }

    // A step every 4 s, gas asked at the third; a user's command holds it 30 s.
    void demoCycleAndPause()
    {
        OrologioPasso tempo;
        Ecu e;
        DemoDrive demo(e.comandi, &tempo);
        demo.start();
        QVERIFY(e.Comando(u"state"_s).contains(u"target=800 load=10 "_s));
        tempo.Avanza(4.1e6);
        QVERIFY(e.Comando(u"state"_s).contains(u"target=1800 "_s));
        tempo.Avanza(4e6);
        QVERIFY(e.Comando(u"state"_s).contains(u"target=2500 "_s) && e.Comando(u"state"_s).contains(u"request=gas"_s));
        demo.pause();
        tempo.Avanza(33e6);
        QVERIFY(e.Comando(u"state"_s).contains(u"target=2500 "_s));
        tempo.Avanza(1e6);
        QVERIFY(e.Comando(u"state"_s).contains(u"target=3200 "_s));
    }

    // The CNG variant, and each variant's definition file as its factory contents.
    void cngVariantAndDefinitionFiles()
    {
        Ecu e(Fuel::Cng);
        QCOMPARE(e.mem.byteAt(Block::Config, L::Config::Enables) & L::Config::EnableCng, L::Config::EnableCng);
        QVERIFY(e.Live(L::Live::Pressure) > 1500);
        for (Fuel fuel : {Fuel::Lpg, Fuel::Cng}) {
            MemoryBlocks m = Fabbrica(fuel);
            ServiceHandler servizi(m, true);
            const QList<QByteArray> righe = DefinitionFile::text(m).split('\n');
            QCOMPARE(righe.size(), 11); // five sections, two lines each, and the end
            const std::pair<const char *, QByteArray> blocchi[] = {
                {"[BLK_1]", "4102030B4B"}, {"[BLK_2]", "4102030D4D"}, {"[BLK_3]", "4102030E4E"},
                {"[BLK_5]", "4102033171"}, {"[MAP_0]", "4102061200006E39"}};
            for (int i = 0; i < 5; ++i) {
                QCOMPARE(righe.at(2 * i), QByteArray(blocchi[i].first) + '\r');
                QCOMPARE(righe.at(2 * i + 1).trimmed(), servizi.handle(QByteArray::fromHex(blocchi[i].second)).toHex().toUpper());
            }
        }
    }

    void initTestCase()
    {
        const QByteArray testo = Leggi(QStringLiteral(SETCOM_PATH));
        QVERIFY2(testo.count('\n') == testo.count("\r\n") && testo.endsWith("\r\n"), "every line ends with CR LF");
        CaricaSetCom(QStringLiteral(SETCOM_PATH), m_ctx.TabMsg, m_ctx.impLink, m_ui);
        QCOMPARE(m_ctx.TabMsg.size(), 7);
        MemoryBlocks memoria = Fabbrica(Fuel::Lpg);
        ServiceHandler servizi(memoria, true);
        SetComFile ecusim;
        QString errore;
        QVERIFY2(ecusim.load(QStringLiteral(SETCOM_PATH), &errore), qPrintable(errore));
        const QStringList problemi = ecusim.check(servizi);
        QVERIFY2(problemi.isEmpty(), qPrintable(problemi.join('\n')));
        for (int n : {C::RecConfig, C::RecIdentita, C::RecLive, C::RecComandi, C::RecBlk5, C::RecProduzione, C::RecMappa})
            m_ctx.Decodifica(n, servizi.handle(QByteArray::fromHex(m_ctx.TabMsg[n].Richiesta.toLatin1())));   // the live speed needs the configuration's factor
        QVERIFY2(m_ui.mostrati.isEmpty(), qPrintable(m_ui.Testi().join('\n'))); // no variable outside its answer
    }

    // The second firmware entry is ecusim's CNG identity (the first, LPG, is the bench's probe); no CR or LF checksum.
    void firmwareEntriesAreEcusimsIdentities()
    {
        const QList<QByteArray> &firmware = m_ctx.impLink.ListaFirmware;
        MemoryBlocks cng = Fabbrica(Fuel::Cng);
        QCOMPARE(firmware.value(1).toHex(), ServiceHandler(cng, true).handle(QByteArray::fromHex("4102032161")).toHex());
        for (const QByteArray &f : firmware)
            QVERIFY2(f.back() != '\n' && f.back() != '\r', qPrintable(f.toHex()));
    }

    // ecusim's reader refuses a position that no answer can have (it overflowed).
    void setComPositionBeyondEveryAnswer()
    {
        QTemporaryDir dir;
        Scrivi(dir.filePath(u"SetCom.ini"_s), "[MSG]\r\n1\r\nLive\r\n4102030B4A\r\n0\r\n\r\n\r\nUB,6,1;SL,2147483647,1\r\n");
        SetComFile tabella;
        QString errore;
        QVERIFY(!tabella.load(dir.filePath(u"SetCom.ini"_s), &errore));
        QVERIFY2(errore.contains("2147483647"_L1) && errore.contains("Live"_L1), qPrintable(errore));
    }
};

GASCAL_PROVA(TstEcusimModello)
#include "tst_ecusim_modello.moc"
