#include "app/GruppiUtente.h"

#include <QFile>
#include <QVector>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace gascal {

QString GruppiUtente::NomeUtente()
{
    if (const passwd *pw = ::getpwuid(::getuid()))
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

GruppiUtente::Appartenenza GruppiUtente::Di(const QString &gruppo)
{
    const group *g = ::getgrnam(QFile::encodeName(gruppo).constData());
    if (!g)
        return Appartenenza::No;
    const gid_t id = g->gr_gid;
    const int quanti = ::getgroups(0, nullptr);
    QVector<gid_t> sessione(qMax(quanti, 0));
    if (quanti > 0 && ::getgroups(quanti, sessione.data()) == quanti && sessione.contains(id))
        return Appartenenza::NellaSessione;
    if (::getegid() == id)
        return Appartenenza::NellaSessione;
    // The group database as it is now: the primary group or the member list.
    const QByteArray nome = QFile::encodeName(NomeUtente());
    const passwd *pw = ::getpwuid(::getuid());
    if (pw && pw->pw_gid == id)
        return Appartenenza::DopoNuovoAccesso;
    for (char **m = g->gr_mem; m && *m; ++m) {
        if (nome == *m)
            return Appartenenza::DopoNuovoAccesso;
    }
    return Appartenenza::No;
}

QString GruppiUtente::Rimedio(const QString &gruppo, const QString &utente, Appartenenza a)
{
    switch (a) {
    case Appartenenza::No:
        return QStringLiteral("add your user to the %1 group (sudo usermod -aG %1 %2) and log in again")
            .arg(gruppo, utente);
    case Appartenenza::DopoNuovoAccesso:
        return QStringLiteral("your user %2 was added to the %1 group after this session "
                              "started: log out and log in again")
            .arg(gruppo, utente);
    case Appartenenza::NellaSessione:
        break;
    }
    return {};
}

} // namespace gascal
