#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>
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
