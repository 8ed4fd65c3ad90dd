#pragma once

#include "config/ListaScelte.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace gascal {

// The pieces shared by the configuration pages: the lists that the scale
// configuration gives after its key lines, and the selection rule that shows
// an ECU value in such a list.
namespace ListeScala {

// The choices of a key line: split at "|", each piece unchanged or, with
// `milli`, its number divided by 1000 in the user's format. A piece of a milli
// list that is not a number is left out and named in `scartate`.
QStringList VociCombo(const QString &riga, bool milli, const QString &sep,
                      QStringList *scartate = nullptr);

// The line after the last occurrence of the key (a later key refills the
// list); nothing when the key is missing or on the last line.
std::optional<QString> RigaDopoChiave(const QStringList &righe, const QString &chiave,
                                      bool *sulUltimaRiga = nullptr);

// The first item from position `da` whose text, taken as a number, meets the
// condition; -1 when none does. Items that are not numbers are passed over.
int PrimaVoce(const QStringList &voci, int da, const QString &sep,
              const std::function<bool(double)> &condizione);

// a >= b, also when a equals b but for the binary error of decimal texts.
bool AlmenoUguale(double a, double b);

} // namespace ListeScala
} // namespace gascal
