#pragma once

#include <QByteArray>
#include <QString>

namespace gascal {

// The program-wide settings fixed at start-up: decimal separator, the paths of
// every settings file (all in the program folder) and the probe messages.
struct Impostazioni {
    QString SepDecimale = QStringLiteral(".");
    QString PathApp;
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

    // Builds every path from PathApp.
    void CostruisciPercorsi();

    // The program's version and date text.
    static QString Versione() { return QStringLiteral("1.28 - 28/11/14"); }
};

} // namespace gascal
