#include "RegistroProve.h"
#include <QFileInfo>
#include <QTest>
#include <QVector>
#include <cstdio>
#include <map>

#ifdef GASCAL_PROVE_WIDGETS
#include <QApplication>
using Applicazione = QApplication;
#else
#include <QCoreApplication>
using Applicazione = QCoreApplication;
#endif

static std::map<QString, prove::Fabbrica> &Registro()
{
    static std::map<QString, prove::Fabbrica> registro;
    return registro;
}

bool prove::Registra(const char *file, Fabbrica fabbrica)
{
    Registro()[QFileInfo(QString::fromUtf8(file)).completeBaseName()] = std::move(fabbrica);
    return true;
}

// PROGRAM [TEST-FILE [QtTest options...]], or every class in turn; --list names them.
int main(int argc, char *argv[])
{
    Applicazione app(argc, argv);
    const QString primo = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (primo == QLatin1String("--list")) {
        for (const auto &voce : Registro())
            std::printf("%s\n", qPrintable(voce.first));
        return 0;
    }
    if (!primo.isEmpty() && !primo.startsWith(QLatin1Char('-'))) {
        const auto it = Registro().find(primo);
        if (it == Registro().end()) {
            std::fprintf(stderr, "%s: no test file %s (--list names them)\n", argv[0], argv[1]);
            return 2;
        }
        QVector<char *> argomenti{argv[0]};
        argomenti.append(QVector<char *>(argv + 2, argv + argc));
        return QTest::qExec(it->second().get(), int(argomenti.size()), argomenti.data());
    }
    int falliti = 0;
    for (const auto &voce : Registro())
        falliti += QTest::qExec(voce.second().get(), argc, argv) != 0;
    return falliti;
}
