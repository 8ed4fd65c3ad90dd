#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <array>

namespace gascal {

class ServiziUi;

struct TipoIniettore {
    QString Nome;
    qint32 Codice = 0;
    std::array<qint32, 6> P{}; // P1..P6 at indexes 0..5
};

struct SensoreLivello {
    QString Nome;
    std::array<qint32, 6> Soglie{0, 0, 0, 0, 0, 1023};
    qint32 Codice = 0;
    qint32 Ulteriore = 0;
};

struct SondaLambda {
    QString Nome;
    qint32 Codice = 0;
    std::array<qint32, 2> Parametri{};
};

struct SensoreTabellato {
    QString Nome;
    qint32 Posizione = 0;
    qint32 Codice = 0;
};

// The injector, sensor and probe tables of the scale configuration, its
// single settings, and the manifold-pressure tables of map.ini.
class TabelleScala
{
public:
    QVector<TipoIniettore> TabIniettori;
    QVector<SensoreLivello> TabLivello;
    QVector<SondaLambda> TabLambda;
    QVector<SensoreTabellato> TabSensTemp;
    QVector<SensoreTabellato> TabSensPress;
    double SommaTempoInj_usec = 0;
    bool MostraFineGas = false;
    bool MostraAbilitazioni = false;

    QVector<qint32> TabMapSens5Bar;
    QVector<qint32> DecodeMapSens5Bar;
    QVector<qint32> DecodeMapSens4Bar;
    QVector<qint32> AbsPresScale;
    QVector<qint32> TONInjScale;

    // The configuration's lines as loaded; the windows read their lists here.
    QStringList RigheConfigScale;

    // The lines of ConfigScale.ini (plain or scrambled) or, without the file,
    // of the built-in configuration.
    static QStringList CaricaConfigScale(const QString &percorso, ServiziUi &ui);
    // Fills the tables from the configuration's lines.
    void CaricaScale(const QStringList &righe, ServiziUi &ui);
    // Reads the tables of map.ini; a missing file leaves them as they were.
    // A list with an entry that is not a whole number is not used, and shown.
    void CaricaMapIni(const QString &percorso, ServiziUi &ui);
    // The same from lines already read; returns what was refused.
    QStringList InterpretaMapIni(const QStringList &righe);

    // Index of the first level sensor with this code, or -1.
    qsizetype IndiceDaCodice(qint32 codice) const;
    // Manifold pressure of a 5-bar sensor reading remapped to the 4-bar scale
    // (only for map-sensor type 0); tables too short leave the value as it is.
    qint32 ConvertiMapSens(qint32 valore, qint32 tipoSensore) const;
    // The constant that the configuration windows divide by an injection
    // period to show the engine speed.
    static qint32 CostanteGiri(qint32 n) { return n == 2 ? 15000000 : 30000000; }

    // The list of choices that follows a key line such as "[Rpm di commutazione]".
    QStringList ListaScelte(const QString &chiave) const;
    QString RigaDopo(const QString &chiave) const;
};

} // namespace gascal
