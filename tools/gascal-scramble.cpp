// Scrambles and unscrambles the program's text files line by line.
//   gascal-scramble IN OUT            a settings file: header line, then every line
//   gascal-scramble --resource IN OUT a resource: every line, no header
//   gascal-scramble -d IN OUT         back to plain text (header line dropped)
#include "ecu/FileTesto.h"
#include "i18n/CifraRiga.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <cstdio>

using namespace gascal;

namespace {

bool Scrivi(const QString &percorso, const QStringList &righe)
{
    QFile file(percorso);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    for (const QString &riga : righe)
        file.write(riga.toUtf8() + "\r\n");
    return file.error() == QFile::NoError;
}

int Uso()
{
    std::fprintf(stderr, "usage: gascal-scramble [--resource | -d] IN OUT\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList argomenti = app.arguments().mid(1);
    QString modo;
    if (!argomenti.isEmpty() && argomenti.first().startsWith(QLatin1Char('-')))
        modo = argomenti.takeFirst();
    if (argomenti.size() != 2 || (!modo.isEmpty() && modo != "--resource" && modo != "-d"))
        return Uso();

    QFile ingresso(argomenti.at(0));
    if (!ingresso.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "gascal-scramble: cannot read %s\n", qPrintable(argomenti.at(0)));
        return 1;
    }
    QStringList righe = FileTesto::DividiRighe(QString::fromUtf8(ingresso.readAll()));
    // A file that ends with CR LF gives a final empty line: it is the end, not a line.
    if (!righe.isEmpty() && righe.last().isEmpty())
        righe.removeLast();

    QStringList uscita;
    if (modo == "-d") {
        const bool conIntestazione = [&] {
            QString prima;
            return !righe.isEmpty() && DecriptaRiga(righe.first(), prima)
                && prima == IntestazioneCriptata();
        }();
        for (qsizetype i = conIntestazione ? 1 : 0; i < righe.size(); ++i) {
            QString chiaro;
            if (!DecriptaRiga(righe.at(i), chiaro)) {
                std::fprintf(stderr, "gascal-scramble: line %lld cannot be unscrambled\n",
                             static_cast<long long>(i + 1));
                return 1;
            }
            uscita.append(chiaro);
        }
    } else {
        if (modo.isEmpty())
            uscita.append(CriptaRiga(IntestazioneCriptata()));
        for (const QString &riga : righe)
            uscita.append(CriptaRiga(riga));
    }
    if (!Scrivi(argomenti.at(1), uscita)) {
        std::fprintf(stderr, "gascal-scramble: cannot write %s\n", qPrintable(argomenti.at(1)));
        return 1;
    }
    return 0;
}
