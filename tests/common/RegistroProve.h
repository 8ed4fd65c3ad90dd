#pragma once
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

// Each test file registers its class under its name; main runs the one named, or all.
namespace prove {
using Fabbrica = std::function<std::unique_ptr<QObject>()>;

// Registers a class under `nome`; returns true (to initialise a static).
bool Registra(const char *file, Fabbrica fabbrica);
} // namespace prove

// In place of QTEST_MAIN: the class of this file, for the shared main.
#define GASCAL_PROVA(Classe)                                                       \
    static const bool gascalProvaRegistrata_##Classe =                            \
        prove::Registra(__FILE__, [] { return std::unique_ptr<QObject>(new Classe); });
