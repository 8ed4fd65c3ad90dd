#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <utility>
#include <QTest>

// A test's small files: written whole, read whole (empty when missing).
inline void Scrivi(const QString &percorso, const QByteArray &testo)
{
    QFile f(percorso);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(testo);
}

inline QByteArray Leggi(const QString &percorso)
{
    QFile f(percorso);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A bench's program folder: the build's settings and definition files (and
// PrjCom, when the bench starts it), the port fixed as 0, linked to ttyECU.
inline void PreparaCartellaProgramma(const QString &bin, const QString &cartella, bool conPrjCom)
{
    QStringList nomi{QStringLiteral("SetCom.ini"), QStringLiteral("map.ini"),
                     QStringLiteral("def.xar"), QStringLiteral("def_cng.xar")};
    if (conPrjCom)
        nomi.prepend(QStringLiteral("PrjCom"));
    for (const QString &n : nomi)
        if (QFile::exists(bin + QLatin1Char('/') + n))
            QFile::copy(bin + QLatin1Char('/') + n, cartella + QLatin1Char('/') + n);
    for (const auto &[nome, testo] : {std::pair{"PrjCom.ini", "0=ttyECU\r\n"}, std::pair{"PortCom.ini", "0\r\n"}}) {
        QFile f(cartella + QLatin1Char('/') + QLatin1String(nome));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(testo);
    }
}
