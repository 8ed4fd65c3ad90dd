#include "app/Impostazioni.h"

#include "Versione.h"

namespace gascal {

void Impostazioni::CostruisciPercorsi()
{
    const QString base =
        (CartellaImpostazioni.isEmpty() ? PathApp : CartellaImpostazioni) + QLatin1Char('/');
    FilePortCom = base + QStringLiteral("PortCom.ini");
    FileSetCom = base + QStringLiteral("SetCom.ini");
    FileConfigScale = base + QStringLiteral("ConfigScale.ini");
    FileDefGpl = base + QStringLiteral("def.xar");
    FileDefCng = base + QStringLiteral("def_cng.xar");
    CartellaDati = base + QStringLiteral("Data/");
    FileParaTun = base + QStringLiteral("ParaTun.txt");
    FileDizIni = base + QStringLiteral("diz.ini");
    FileFontIni = base + QStringLiteral("font.ini");
    FileTestDiz = base + QStringLiteral("TEST.DIZ");
    FileMapIni = base + QStringLiteral("map.ini");
    FileMemoIni = base + QStringLiteral("Memo.ini");
    FileFlashIni = base + QStringLiteral("Flash.ini");
    FileSatoTun = base + QStringLiteral("SatoTun.txt");
}

QString Impostazioni::Versione()
{
    return QStringLiteral(GASCAL_VERSIONE " - " GASCAL_DATA_VERSIONE);
}

} // namespace gascal
