// The compare window's rows: under page and group, by the page's caption and unit, in the user's language.
#include "FileProva.h"
#include "RegistroProve.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "mapfile/RigheConfronto.h"
#include <QTemporaryDir>
#include <QTest>

using namespace gascal;
using R = RigheConfronto;

Q_DECLARE_METATYPE(QList<RigheConfronto::Riga>)

class TstRigheConfronto : public QObject
{
    Q_OBJECT
    // A context in a shipped language, line point i at (1000 + 100 i) us of petrol.
    static void Prepara(Contesto &ctx, const char *lingua, const QString &sep)
    {
        QTemporaryDir cartella;
        Scrivi(cartella.filePath(QStringLiteral("diz.ini")), lingua);
        ctx.diz.CaricaDizionario(false, {QString(), cartella.filePath(QStringLiteral("diz.ini")), QString()});
        ctx.imp.SepDecimale = sep;
        for (int i = 0; i < int(ctx.retta.Scala.size()); ++i)
            ctx.retta.Scala[i] = 1000 + 100 * i;
    }

private slots:
    void righe_data()
    {
        QTest::addColumn<QByteArray>("lingua");
        QTest::addColumn<QString>("sep");
        QTest::addColumn<QList<ConfrontoMappe::Differenza>>("differenze");
        QTest::addColumn<QList<R::Riga>>("attese");
        // Given in comparison order, but the line page before what no page shows.
        const QList<ConfrontoMappe::Differenza> varie{
            {QStringLiteral("switch-temp"), QStringLiteral("20"), QStringLiteral("35")},
            {QStringLiteral("end-of-gas"), QStringLiteral("Off"), QStringLiteral("On")},
            {QStringLiteral("end-of-gas-bar"), QStringLiteral("1,2"), QStringLiteral("-")},
            {QStringLiteral("level-sensor"), QStringLiteral("Resistive"), QStringLiteral("Hall")},
            {QStringLiteral("level-r"), QStringLiteral("512"), QStringLiteral("1023")},
            {QStringLiteral("injector-ppg"), QStringLiteral("20"), QStringLiteral("35")},
            {QStringLiteral("pedestal-guard"), QStringLiteral("0"), QStringLiteral("1")},
            {QStringLiteral("pivot[1]"), QStringLiteral("6"), QStringLiteral("7")},
            {QStringLiteral("line[10]"), QStringLiteral("3"), QStringLiteral("-2")},
            {QStringLiteral("[BLK_2] byte 11"), QStringLiteral("C0"), QStringLiteral("00")},
        };
        QTest::newRow("English, decimal point") << QByteArray("0\r\n") << QStringLiteral(".") << varie
            << QList<R::Riga>{
                   {R::Commutazione, "SWITCH-OVER PARAMETERS", "Temperature", "20 °C", "35 °C"},
                   {R::Commutazione, "END-OF-GAS MANAGEMENT", "Enable", "Off", "On"},
                   {R::Commutazione, "END-OF-GAS MANAGEMENT", "Pressure", "1,2", "-"},
                   {R::Iniettori, "GAS LEVEL SENSOR", "GAS LEVEL SENSOR", "Resistive", "Hall"},
                   {R::Iniettori, "GAS LEVEL SENSOR", "Levels R", "2.50 V", "5.00 V"},
                   {R::Iniettori, "PWM", "PPG", "20", "35"},
                   {R::Retta, "CALIBRATION LINE", "P2", "1.6 ms", "1.7 ms"},
                   {R::Retta, "CALIBRATION LINE", "Petrol 2.0 ms", "0.19 ms", "-0.13 ms"},
                   {R::FuoriPagina, "", "Pedestal guard", "Off", "On"},
                   {R::FuoriPagina, "", "[BLK_2] byte 11", "C0", "00"},
               };
        // The pages' own Italian captions, and the user's decimal comma.
        QTest::newRow("Italian, decimal comma")
            << QByteArray("1\r\n") << QStringLiteral(",")
            << QList<ConfrontoMappe::Differenza>{varie.at(0), varie.at(1), varie.at(2), varie.at(4)}
            << QList<R::Riga>{
                   {R::Commutazione, "PARAMETRI DI COMMUTAZIONE", "Temperatura", "20 °C", "35 °C"},
                   {R::Commutazione, "GESTIONE FINE GAS", "Abilita", "Off", "On"},
                   {R::Commutazione, "GESTIONE FINE GAS", "Pressione", "1,2 bar", "-"},
                   {R::Iniettori, "SENSORE LIVELLO", "Livelli R", "2,50 V", "5,00 V"},
               };
    }
    void righe()
    {
        QFETCH(QByteArray, lingua);
        QFETCH(QString, sep);
        QFETCH(QList<ConfrontoMappe::Differenza>, differenze);
        QFETCH(QList<R::Riga>, attese);
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        Prepara(ctx, lingua.constData(), sep);
        const QList<R::Riga> righe = RigheConfronto(ctx).Righe(differenze);
        QCOMPARE(righe, attese);
    }
};

GASCAL_PROVA(TstRigheConfronto)
#include "tst_righe_confronto.moc"
