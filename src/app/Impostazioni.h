#pragma once

#include <QByteArray>
#include <QString>

namespace gascal {

// The program-wide settings fixed at start-up: decimal separator, the paths of
// every settings file and the probe messages. The settings files, Data/ and
// Memo.ini lie in the settings folder: the program folder itself, or the
// user's data folder when the program folder cannot be written
// (CartellaUtente).
struct Impostazioni {
    QString SepDecimale = QStringLiteral(".");
    QString PathApp;                // the program folder: the programs themselves
    QString CartellaImpostazioni;   // the settings folder; empty = PathApp
    int LimitePorte = 19;           // highest port number the connection scan tries
    QByteArray MsgProva;            // probe of the connection scan
    QByteArray FirmwareAtteso;      // the identity this program was made for
    qint32 CodiceMappaSalvato = -1; // nothing saved yet
    qint32 FineGasSalvato = -1;

    QString FilePortCom;
    QString FileSetCom;
    QString FileConfigScale;
    QString FileDefGpl;
    QString FileDefCng;
    QString CartellaDati;
    QString FileParaTun;
    QString FileDizIni;
    QString FileFontIni;
    QString FileTestDiz;
    QString FileMapIni;
    QString FileMemoIni;
    QString FileFlashIni;
    QString FileSatoTun;            // the autotuning log

    // Builds every path from the settings folder.
    void CostruisciPercorsi();

    // The program's version and date text (both from the project's version).
    static QString Versione();
};

} // namespace gascal
