#include "ui/common/TraduzioniQt.h"

#include "i18n/Dizionario.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace gascal {

QString TraduzioniQt::NomeFile(int lingua)
{
    switch (lingua) {
    case Dizionario::Italiano: return QStringLiteral("qtbase_it");
    case Dizionario::Ucraino: return QStringLiteral("qtbase_uk");
    case Dizionario::Portoghese: return QStringLiteral("qtbase_pt_BR");
    case Dizionario::Ungherese: return QStringLiteral("qtbase_hu");
    default: return {};
    }
}

bool TraduzioniQt::Applica(int lingua)
{
    static QTranslator *installata = nullptr;
    if (installata) {
        QCoreApplication::removeTranslator(installata);
        delete installata;
        installata = nullptr;
    }
    const QString nome = NomeFile(lingua);
    if (nome.isEmpty())
        return false;
    auto *traduzione = new QTranslator;
    if (!traduzione->load(nome, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete traduzione;
        return false;
    }
    QCoreApplication::installTranslator(traduzione);
    installata = traduzione;
    return true;
}

} // namespace gascal
