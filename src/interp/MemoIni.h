#pragma once

#include <QDateTime>
#include <QString>

namespace gascal {

class Contesto;

// Memo.ini, where the road samples stay between runs. A Memo.ini that
// cannot be read is never written over: before anything new can be written
// it is renamed beside itself with the date and ".bad"
// (Memo.ini.2026-12-08_15-36-00.bad), and the user is told where it went.
class MemoIni
{
public:
    // Reads the program's Memo.ini into the sample tables. Returns the
    // message for the user: empty when the file was read or is absent. On a
    // file that cannot be read the tables stay as they are and the file is
    // renamed; when even the rename fails, Memo.ini is not written in this
    // run (the context's Memo.ini path is cleared) and the message says so.
    static QString Carica(Contesto &ctx, const QDateTime &ora = QDateTime::currentDateTime());

    // The name a refused file gets: beside it, with the date and ".bad";
    // a free name (a counter is added when that one is taken).
    static QString NomeScartato(const QString &percorso, const QDateTime &ora);
};

} // namespace gascal
