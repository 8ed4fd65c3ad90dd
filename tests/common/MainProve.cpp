#include "RegistroProve.h"

#include <QFileInfo>
#include <QTest>
#include <QVector>

#include <cstdio>
#include <map>
#include <string>

#ifdef GASCAL_PROVE_WIDGETS
#include <QApplication>
using Applicazione = QApplication;
#else
#include <QCoreApplication>
using Applicazione = QCoreApplication;
#endif

namespace {

std::map<QString, prove::Fabbrica> &Registro()
{
    static std::map<QString, prove::Fabbrica> registro;
    return registro;
}

} // namespace

bool prove::Registra(const char *file, Fabbrica fabbrica)
{
    Registro()[QFileInfo(QString::fromUtf8(file)).completeBaseName()] = std::move(fabbrica);
    return true;
}

// PROGRAM [TEST-FILE [QtTest options...]]: the named test file's class with
// the options, or without a name every class in turn; --list names them.
int main(int argc, char *argv[])
{
    Applicazione app(argc, argv);
    if (argc > 1 && std::string(argv[1]) == "--list") {
        for (const auto &[nome, fabbrica] : Registro())
            std::printf("%s\n", qPrintable(nome));
        return 0;
    }
    if (argc > 1 && argv[1][0] != '-') {
        const auto it = Registro().find(QString::fromLocal8Bit(argv[1]));
        if (it == Registro().end()) {
            std::fprintf(stderr, "%s: no test file %s (--list names them)\n", argv[0], argv[1]);
            return 2;
        }
        QVector<char *> argomenti{argv[0]};
        for (int i = 2; i < argc; ++i)
            argomenti << argv[i];
        const std::unique_ptr<QObject> prova = it->second();
        return QTest::qExec(prova.get(), static_cast<int>(argomenti.size()), argomenti.data());
    }
    int falliti = 0;
    for (const auto &[nome, fabbrica] : Registro()) {
        const std::unique_ptr<QObject> prova = fabbrica();
        falliti += QTest::qExec(prova.get(), argc, argv) != 0;
    }
    return falliti;
}
