#include "app/SegnaliUscita.h"

#include <csignal>
#include <initializer_list>

namespace gascal::SegnaliUscita {

namespace {
volatile std::sig_atomic_t ricevuto = 0;

void Nota(int segnale)
{
    ricevuto = segnale;
}
} // namespace

void Installa()
{
    struct sigaction azione = {};
    azione.sa_handler = Nota;
    sigemptyset(&azione.sa_mask);
    azione.sa_flags = SA_RESTART;
    for (int segnale : {SIGINT, SIGTERM, SIGHUP})
        sigaction(segnale, &azione, nullptr);
}

int Ricevuto()
{
    return ricevuto;
}

void Azzera()
{
    ricevuto = 0;
}

const char *Nome(int segnale)
{
    switch (segnale) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "signal";
    }
}

} // namespace gascal::SegnaliUscita
