#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

// Command line of ecusim.
struct SimOptions
{
    QString linkPath;          // --link PATH: symlink to the pty's slave device
    bool programmed = true;    // --unprogrammed clears it
    QByteArray identity;       // --identity HEX; empty = default (or from --settings)
    QString settingsPath;      // --settings PATH: a SetCom.ini to take the identity from and check
    int dropEvery = 0;         // --drop-every N
    int corruptEvery = 0;      // --corrupt-every N
    int delayMs = 0;           // --delay-ms MS
    QSet<quint8> refused;      // --refuse SERVICE (repeatable, decimal or 0x..)
    int exitOnService = -1;    // --exit-on SERVICE[:N]: end at the Nth request of SERVICE
    int exitOnCount = 1;
    bool verbose = false;      // --verbose: traffic on stderr
    QString controlPath;       // --control PATH: local socket for line commands; "-" = stdin
    bool cng = false;          // --cng: the CNG variant of the factory contents
    bool demo = false;         // --demo: the engine drives itself (DemoDrive)
    int roadStepMs = 0;        // --road: drive the road cycle once (RoadCycle), --road-step S a point; 0 = no
    bool cold = false;         // --cold: the engine starts cold (reducer at ambient temperature)
    double gasFlowPct = -1;    // --gas-flow PCT: the gas injectors' true flow; < 0 = default
    double gasOffsetUs = 1e9;  // --gas-offset US: the installation's fixed offset; 1e9 = default
    int timeScale = 1;         // --time-scale N: model seconds per wall second
    QString definitionsPath;   // --write-definitions PATH: write a definition file and end
    bool helpRequested = false; // --help, --version: the text to print is in the error argument

    // An identity is the data of one answer: 5 header bytes and the checksum
    // around it, the whole within the 255 that the length byte counts.
    static constexpr int MinIdentitySize = 6;
    static constexpr int MaxIdentitySize = 255 - 6;

    // Parses arguments (arguments[0] is the program). On failure returns
    // false and sets error to a one-line reason.
    bool parse(const QStringList &arguments, QString *error);
};
