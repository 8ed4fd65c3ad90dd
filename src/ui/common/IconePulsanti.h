#pragma once

#include <QIcon>

namespace gascal {

// The button pictures of the command bar and of the wait window, drawn in code.
namespace IconePulsanti {

enum class Tipo { Info, Lingua, Apri, Salva, Pagina, Aggiorna, Via, Alt };

QIcon Icona(Tipo tipo, int lato);

} // namespace IconePulsanti
} // namespace gascal
