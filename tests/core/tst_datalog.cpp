// The live bar's display rules on stepped clocks, the recording file, the chart model.
#include "RegistroProve.h"
#include "FileProva.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "datalog/FormatoLive.h"
#include "datalog/ModelloBarra.h"
#include "datalog/ModelloGrafico.h"
#include "datalog/RegistroLive.h"
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace gascal;
using namespace Qt::StringLiterals;
using G = ModelloGrafico;
using Colore = VistaBarra::Colore;
using ColoreLed = VistaCommutatore::Colore;

namespace {
// Records sized as the ECU's for the recording, its data folder in `cartella`.
void Prepara(Contesto &ctx, const QString &cartella)
{
    ctx.TabMsg[Contesto::RecLive].Dimensiona(14);
    ctx.TabMsg[Contesto::RecComandi].Dimensiona(4);
    ctx.TabMsg[Contesto::RecProduzione].Dimensiona(7);
    ctx.TabMsg[Contesto::RecProduzione].Valori[0] = 4711;
    ctx.imp.CartellaDati = cartella + u"/Data/"_s;
}

std::vector<CampioneLive> Campioni(int quanti, const std::function<void(CampioneLive &, int)> &riempi)
{
    std::vector<CampioneLive> c(quanti);
    for (int i = 0; i < quanti; ++i) {
        c[i].Valori = QVector<qint32>(14, 0);
        riempi(c[i], i);
        c[i].Valori[FormatoLive::PosTempoBenzina] = c[i].Valori[FormatoLive::PosGiri] + 1000; // microseconds
    }
    return c;
}

// The chart's value of a series at t seconds; -1 when there is none.
double Valore(const G &m, int serie, double t)
{
    double v = -1;
    return m.ValoreA(serie, t, v) ? v : -1;
}

QStringList Righe(const QString &file)
{
    return QString::fromUtf8(Leggi(file)).split(u"\r\n"_s, Qt::SkipEmptyParts);
}

const QDateTime Lettura(QDate(2024, 3, 5), QTime(10, 20, 30));

// Connected, the decimal comma; values set as {record, value, number}.
struct Banco {
    ServiziUiScriptati ui;
    Contesto ctx{ui};
    ModelloBarra modello{ctx};

    explicit Banco(std::initializer_list<std::array<int, 3>> valori = {})
    {
        ctx.TabMsg.resize(7);
        for (MsgRecord &r : ctx.TabMsg)
            r.Dimensiona(32);
        ctx.imp.SepDecimale = u","_s;
        ctx.stato.StatoProgramma = StatoApp::Connesso;
        for (const auto &[n, k, v] : valori)
            ctx.TabMsg[n].Valori[k] = v;
    }
    const VistaBarra &Valori(const QDateTime &ora = Lettura) { return modello.AggiornaValori(ora); }
};

template <typename Bits>
QString Bit(const Bits &accesi)
{
    QString s;
    for (bool b : accesi)
        s += b ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}

const char *const N = " - -  (ms) ";
} // namespace

class TstDatalog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The date of old values is written in the user's short format.
        QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    }
    // Segments, speed, pictures, petrol and gas times, pressure; temperature with the ignition off too.
    void valuesFollowTheIgnitionTheEngineAndTheFuel()
    {
        const struct { const char *nome; int stato, giri, carburante; const char *atteso; } casi[] = {
            {"ignition off", 0, 3000, 3, "00000000000000| - -  (rpm)|0000| - -  (ms) | - -  (ms) | - -  (bar)"},
            {"only the valve bit: not valid", 2, 3000, 3, "00000000000000| - -  (rpm)|0000| - -  (ms) | - -  (ms) | - -  (bar)"},
            {"at the first threshold", 1, 500, 0, "00000000000000|500 (rpm)|1010|2,34 (ms) | - -  (ms) |1,20 (bar)"},
            {"just above it", 1, 501, 0, "10000000000000|501 (rpm)|1010|2,34 (ms) | - -  (ms) |1,20 (bar)"},
            {"2000 rpm on petrol", 1, 2000, 0, "11111000000000|2000 (rpm)|1010|2,34 (ms) | - -  (ms) |1,20 (bar)"},
            {"on gas, valve open", 3, 2000, 3, "11111000000000|2000 (rpm)|0111|2,34 (ms) |1,00 (ms) |1,20 (bar)"},
            {"another fuel code is petrol", 3, 2000, 2, "11111000000000|2000 (rpm)|1011|2,34 (ms) | - -  (ms) |1,20 (bar)"},
            {"a transient: still valid", 5, 2000, 0, "11111000000000|2000 (rpm)|1010|2,34 (ms) | - -  (ms) |1,20 (bar)"},
            {"above the last threshold", 1, 5601, 0, "11111111111111|5601 (rpm)|1010|2,34 (ms) | - -  (ms) |1,20 (bar)"},
        };
        for (const auto &c : casi) {
            Banco b({{1, 6, c.stato}, {1, 4, c.giri}, {2, 1, c.carburante}, {1, 0, 1000}, {1, 1, 2345},
                     {1, 2, 20000}, {1, 5, 1200}, {1, 9, 65}});
            const VistaBarra &v = b.Valori();
            const QString visto = QStringList{Bit(v.segmenti), v.giri, Bit(std::array{v.benzina, v.gas, v.chiave, v.valvola}),
                                              v.tempoBenzina, v.tempoGas, v.pressione}.join(QLatin1Char('|'));
            QCOMPARE(c.nome + u": "_s + visto, c.nome + u": "_s + QLatin1String(c.atteso));
            QVERIFY(v.temperatura == u"65 (c)"_s && v.dalVivo);
        }
    }
    void theBarFallsOneSegmentPerRefreshAfterTheIgnitionGoesOff()
    {
        // The gas time at its limit: red.
        Banco b({{1, 6, 3}, {1, 4, 6000}, {2, 1, 3}, {1, 0, 500}, {1, 2, 500}});
        QVERIFY(Bit(b.Valori().segmenti) == u"11111111111111"_s && b.modello.Vista().coloreTempoGas == Colore::Rosso);
        b.ctx.TabMsg[1].Valori[6] = 0;
        for (int accesi = 13; accesi >= 0; --accesi) {
            const VistaBarra &v = b.Valori();
            QCOMPARE(Bit(v.segmenti), QString(accesi, QLatin1Char('1')) + QString(14 - accesi, QLatin1Char('0')));
            // The gas time is gone but keeps its last colour.
            QVERIFY(v.tempoGas == QLatin1String(N) && v.coloreTempoGas == Colore::Rosso);
        }
        QCOMPARE(Bit(b.Valori().segmenti), QString(14, QLatin1Char('0')));
        // Back on: the bar jumps to the engine speed at once.
        b.ctx.TabMsg[1].Valori[6] = 1;
        b.ctx.TabMsg[1].Valori[4] = 1500;
        QCOMPARE(Bit(b.Valori().segmenti), u"11110000000000"_s);
    }
    // Record 1: state 6, gas 0, limit 2, correction 3, petrol 1; record 2 fuel 1; record 3 sens 26, min 16.
    void gasTimeWarning()
    {
        const struct { const char *nome; int stato, carburante, sensibilita, tempoGas, limite, correzione, tempoBenzina, minimo;
                       Colore colore; } casi[] = {
            {"well inside", 1, 3, 0, 1000, 5000, 0, 2000, 100, Colore::Nero},
            {"margin reaches the limit", 1, 3, 3, 1000, 4 * 96 + 1000, 0, 2000, 100, Colore::Rosso},
            {"margin one below it", 1, 3, 3, 1000, 4 * 96 + 1001, 0, 2000, 100, Colore::Nero},
            {"sensitivity 0 is one step", 1, 3, 0, 1000, 1096, 0, 2000, 100, Colore::Rosso},
            {"petrol time below the minimum", 1, 3, 0, 1000, 5000, 0, 2000, 3000, Colore::Rosso},
            {"petrol and correction at the minimum", 1, 3, 0, 1000, 5000, 100, 2900, 3000, Colore::Nero},
            {"a negative correction takes it below", 1, 3, 0, 1000, 5000, -200, 3100, 3000, Colore::Rosso},
            {"on petrol never red", 1, 0, 0, 1000, 5000, 0, 2000, 3000, Colore::Nero},
            {"ignition off: no colour chosen", 0, 3, 0, 1000, 5000, 0, 2000, 3000, Colore::Nessuno},
        };
        for (const auto &c : casi) {
            Banco b({{1, 6, c.stato}, {2, 1, c.carburante}, {3, 26, c.sensibilita}, {1, 0, c.tempoGas},
                     {1, 2, c.limite}, {1, 3, c.correzione}, {1, 1, c.tempoBenzina}, {3, 16, c.minimo}});
            QVERIFY2(b.Valori().coloreTempoGas == c.colore, c.nome);
        }
    }
    // LEDs at a fixed step from t = step, one character each; buzzer beeps at 100 ms.
    void ledsBlinkInTheirPhasesAndTheBuzzerBeeps()
    {
        const double fase = ModelloBarra::PassoFase_us + 1; // one phase per refresh
        const struct { const char *nome; int parola, stato, led; ColoreLed colore; double passo_us; const char *accesa; }
            led[] = {
            {"level 3/4 slow", 0x200, 1, 0, ColoreLed::Verde, fase, "011001100110"},
            {"level 2/4 fast", 0x40, 1, 1, ColoreLed::Verde, fase, "101010101010"},
            {"level 1/4 steady", 0x30, 1, 2, ColoreLed::Verde, fase, "111111111111"},
            {"reserve off", 0xFFF3, 1, 3, ColoreLed::Verde, fase, "000000000000"},
            {"petrol fast", 0x1, 1, 4, ColoreLed::Rosso, fase, "101010101010"},
            {"petrol steady, ignition off", 0x3, 0, 4, ColoreLed::Rosso, fase, "111111111111"},
            {"alarm fast", 0x1000, 1, 5, ColoreLed::Rosso, fase, "101010101010"},
            {"alarm, ignition off", 0x3000, 0, 5, ColoreLed::Rosso, fase, "000000000000"},
            {"gas slow", 0x800, 1, 6, ColoreLed::Arancione, fase, "011001100110"},
            {"gas, ignition off", 0xC00, 2, 6, ColoreLed::Arancione, fase, "000000000000"},
            // A phase lasts more than 200 ms: at 100 ms it holds three refreshes.
            {"fast at 100 ms", 0x40, 1, 1, ColoreLed::Verde, 100e3, "111000111000"},
            {"slow at 100 ms", 0x80, 1, 1, ColoreLed::Verde, 100e3, "000111111000"},
        };
        for (const auto &c : led) {
            Banco b({{1, 10, c.parola}, {1, 6, c.stato}});
            QString visto;
            for (int i = 1; i <= 12; ++i) {
                const ColoreLed v = b.modello.AggiornaCommutatore(i * c.passo_us).led[c.led];
                visto += v == c.colore ? u"1"_s : v == ColoreLed::Spento ? u"0"_s : u"?"_s;
            }
            QCOMPARE(c.nome + u": "_s + visto, c.nome + u": "_s + QLatin1String(c.accesa));
        }
        const struct { const char *nome; int parola, stato; bool dalVivo; const char *beep; } buzzer[] = {
            {"slow: once a second", 0x4000, 1, true, "100000000001"},
            {"fast: every refresh, a beat more", 0x8000, 1, true, "211121112111"},
            {"both: continuous", 0xC000, 1, true, "111111111111"},
            {"LEDs only", 0x3FFF, 1, true, "000000000000"},
            {"ignition off", 0xC000, 2, true, "000000000000"},
            {"old values do not beep", 0xC000, 1, false, "000000000000"},
        };
        for (const auto &c : buzzer) {
            Banco b({{1, 10, c.parola}, {1, 6, c.stato}});
            b.ctx.stato.ErroreComunicazione = !c.dalVivo;
            QString visto;
            for (int i = 1; i <= 12; ++i)
                visto += QString::number(b.modello.AggiornaCommutatore(i * 100e3).beep);
            QCOMPARE(c.nome + u": "_s + visto, c.nome + u": "_s + QLatin1String(c.beep));
        }
    }
    // '+' refreshes with the update marker set, '-' without, 'S' switches it off.
    void updateButtonBlinksWhileMarked()
    {
        for (const auto &[passi, rosso] : {std::pair{"---", "000"}, {"-+++++", "010101"}, {"+--", "100"},
                                          {"+S++", "1010"}}) {
            Banco b;
            QString visto;
            for (const char *p = passi; *p; ++p) {
                if (*p == 'S') {
                    b.modello.SpegniAggiornamento();
                } else {
                    b.ctx.stato.MarcatoreAggiornamento = *p == '+' ? u"Lampeggia"_s : QString();
                    b.Valori();
                }
                visto += b.modello.Vista().aggiornaRosso ? QLatin1Char('1') : QLatin1Char('0');
            }
            QCOMPARE(QLatin1String(passi) + u": "_s + visto, QLatin1String(passi) + u": "_s + QLatin1String(rosso));
        }
    }
    // Read live ('E', 10:20:30 on 5 March) or from a file ('F'), then the link drops: origin told at day's edge.
    void oldValuesSayWhereTheyComeFrom()
    {
        const QDateTime stessoGiorno(QDate(2024, 3, 5), QTime(23, 59, 59));
        const QDateTime giornoDopo(QDate(2024, 3, 6), QTime(0, 0, 1));
        const struct { const char *passi; QDateTime ora; const char *origine, *temperatura; } casi[] = {
            {"", stessoGiorno, "Not live: no ECU read yet", " - -  (c)"},
            {"E", stessoGiorno, "Not live: read at 10:20:30", "41 (c)"},
            {"E", giornoDopo, "Not live: read on 05/03/24 at 10:20:30", "41 (c)"},
            {"F", stessoGiorno, "Not live: from def.xar", "41 (c)"},
            {"FE", stessoGiorno, "Not live: read at 10:20:30", "41 (c)"},
            {"EF", stessoGiorno, "Not live: from def.xar", "41 (c)"},
        };
        for (const auto &c : casi) {
            Banco b({{1, 6, 1}, {1, 4, 2500}, {1, 9, 41}});
            for (const char *p = c.passi; *p; ++p) {
                if (*p == 'E')
                    QVERIFY(b.Valori(Lettura).dalVivo);
                else
                    b.modello.ValoriDaFile(u"def.xar"_s);
            }
            b.ctx.stato.ErroreComunicazione = 1;
            const VistaBarra &v = b.Valori(c.ora);
            QVERIFY(!v.dalVivo);
            QCOMPARE(v.origine + u", "_s + v.temperatura, QLatin1String(c.origine) + u", "_s + QLatin1String(c.temperatura));
            QCOMPARE(v.giri, u"2500 (rpm)"_s); // the old values stay
        }
    }
    void unitsAndTextsFollowTheLanguage()
    {
        Banco b({{1, 6, 1}, {1, 4, 2500}, {1, 1, 3000}, {1, 5, 1500}, {1, 9, 70}});
        b.ctx.diz.ImpostaTesti({u"GasCal"_s, u"[Frm_Barra_2]"_s, u"letti alle %1"_s, u"letti il %1 alle %2"_s,
                                u"dal file %1"_s, u"nessuna lettura"_s, u"giri/min"_s, u"msec"_s, u"bar rel"_s,
                                u"°C"_s});
        b.modello.CaricaLingua();
        const VistaBarra &v = b.Valori();
        QCOMPARE((QStringList{v.giri, v.tempoBenzina, v.tempoGas, v.pressione, v.temperatura}),
                 (QStringList{"2500 (giri/min)", "3,00 (msec) ", " - -  (msec) ", "1,50 (bar rel)", "70 (°C)"}));
        b.ctx.stato.ErroreComunicazione = 1;
        QCOMPARE(b.Valori().origine, u"letti alle 10:20:30"_s);
        b.modello.ValoriDaFile(u"a.xar"_s);
        QCOMPARE(b.Valori().origine, u"dal file a.xar"_s);
    }
    void recordingWritesEveryReadAndStopsWhenTheLinkGoes()
    {
        QTemporaryDir dir;
        Banco b;
        Prepara(b.ctx, dir.path());
        RegistroLive reg;
        QVERIFY(reg.Lettura(b.ctx, 1000)); // before recording: history only
        QVERIFY(reg.Avvia(b.ctx, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))));
        QCOMPARE(reg.Percorso(), QDir(dir.path()).filePath(u"Data/logs/20260304-050607_4711.csv"_s));
        for (int i = 0; i < 5; ++i) {
            b.ctx.TabMsg[Contesto::RecLive].Valori[FormatoLive::PosGiri] = 800 + i;
            b.ctx.TabMsg[Contesto::RecComandi].Valori[1] = i < 3 ? 0 : 3;
            QVERIFY(reg.Lettura(b.ctx, 1000 + (i + 1) * 50000.0));
            QCOMPARE(Righe(reg.Percorso()).size(), i + 2); // each row on disk as soon as it is taken
        }
        const QStringList righe = Righe(reg.Percorso());
        QCOMPARE(righe.first(), FormatoLive::Intestazione(14));
        // Time from the first recorded row; the live values; the fuel in use.
        QCOMPARE(righe.at(1) + u"|"_s + righe.at(5),
                 u"0,0,0,0,0,800,0,0,0,0,0,0,0,0,0,0,petrol,closed|200,0,0,0,0,804,0,0,0,0,0,0,0,0,0,3,gas,closed"_s);
        QVERIFY(!reg.ControllaCollegamento(b.ctx));
        b.ctx.stato.ErroreComunicazione = 1;
        QVERIFY(reg.ControllaCollegamento(b.ctx) && !reg.Registrando() && reg.Lettura(b.ctx, 400000));
        QVERIFY(Righe(reg.Percorso()).size() == 6 && reg.Totale() == 7);
        // The history hands out only new reads, and is bounded.
        qint64 letti = 0;
        QVERIFY(reg.Dal(letti, &letti).size() == 7 && reg.Dal(letti, &letti).empty());
        for (qsizetype i = 0; i < RegistroLive::MaxCampioni + 10; ++i)
            reg.Lettura(b.ctx, 1e6 + i * 50000.0);
        QCOMPARE(qsizetype(reg.Dal(letti, &letti).size()), RegistroLive::MaxCampioni);
        QCOMPARE(letti, reg.Totale());
        // A file where the data folder should be: no recording, and why.
        Scrivi(dir.filePath(u"Rotto"_s), {});
        b.ctx.imp.CartellaDati = dir.filePath(u"Rotto/"_s);
        QVERIFY(!reg.Avvia(b.ctx, QDateTime::currentDateTime()) && !reg.Registrando() && !reg.Errore().isEmpty());
    }
    void modelTakesEveryRowAndBoundsItsSeries()
    {
        G m;
        // Batches of uneven size; gas from read 5 to 10 of every ten.
        int t = 0;
        for (int lotto : {1, 7, 2, 3, 500, 0, 4})
            m.Aggiungi(Campioni(lotto, [&](CampioneLive &c, int) {
                c.Tempo_ms = t;
                c.Valori[FormatoLive::PosGiri] = 1000 + t / 50;
                c.Carburante = (t / 50) % 10 < 5 ? 0 : 3;
                t += 50;
            }));
        QVERIFY(m.Righe() == 517 && m.Punti() == 517);
        // The cursor reads the last value not after t, in the shown units.
        QCOMPARE(Valore(m, G::Giri, 0.149), 1002.0);
        QCOMPARE(Valore(m, G::TempoBenzina, 0.150), 2.003);
        QCOMPARE(Valore(m, G::Carburante, 0.25), 1.0);
        const auto fasce = m.FasceGas(0, 1.0);
        QVERIFY(fasce.size() >= 2 && fasce.front() == std::make_pair(0.25, 0.5));
        G piccolo(100);
        piccolo.Aggiungi(Campioni(250, [](CampioneLive &c, int i) { c.Tempo_ms = i * 50; }));
        QVERIFY(piccolo.Righe() == 250 && piccolo.Punti() == 100);
        QCOMPARE(piccolo.Inizio(), 7.5);
        // The thinning keeps the peaks and reaches the window's edges.
        m = G();
        m.Aggiungi(Campioni(12000, [](CampioneLive &c, int i) {
            c.Tempo_ms = i * 50;
            c.Valori[FormatoLive::PosGiri] = i == 7777 ? 6500 : 800;
        }));
        const QVector<QPointF> p = m.Finestra(G::Giri, 100, 500, 400);
        QVERIFY(p.size() <= 402 && p.first().x() <= 100 && p.last().x() >= 500);
        double massimo = 0;
        for (int i = 0; i < p.size(); ++i) {
            massimo = std::max(massimo, p.at(i).y());
            QVERIFY(i == 0 || p.at(i).x() >= p.at(i - 1).x());
        }
        QCOMPARE(massimo, 6500.0);
    }
    void playbackReadsRecordingsAndRefusesOtherFiles()
    {
        QTemporaryDir dir;
        const QByteArray intestazione = FormatoLive::Intestazione(14).toUtf8() + "\r\n";
        const QByteArray gas = "0,3000,4000,0,0,2500,1200,1,0,0,45,0,0,0,980,3,gas,open\r\n";
        const QByteArray benzina = "50,3100,4100,0,0,2600,1210,1,0,0,46,0,0,0,990,0,petrol,closed\r\n";
        const QString buono = dir.filePath(u"a.csv"_s), rotto = dir.filePath(u"b.csv"_s), altro = dir.filePath(u"c.csv"_s);
        Scrivi(buono, intestazione + gas + benzina + "100,31"); // the last row cut by a crash is skipped
        Scrivi(rotto, intestazione + gas + "x,y\r\n" + benzina);
        Scrivi(altro, "a,b\r\n1,2\r\n");
        G m;
        QVERIFY(m.CaricaCsv(buono).isEmpty() && m.Righe() == 2);
        QCOMPARE(Valore(m, G::TempoGas, 0.0), 3.0);
        QCOMPARE(Valore(m, G::PressioneGas, 0.05), 1.21);
        QCOMPARE(Valore(m, G::PressioneCollettore, 0.05), 0.99);
        QCOMPARE(Valore(m, G::Carburante, 0.0), 1.0);
        QVERIFY(m.CaricaCsv(rotto).contains("line 3"_L1) && m.Punti() == 0);
        QVERIFY(!m.CaricaCsv(altro).isEmpty() && !m.CaricaCsv(dir.filePath(u"none.csv"_s)).isEmpty());
    }
};

GASCAL_PROVA(TstDatalog)
#include "tst_datalog.moc"
