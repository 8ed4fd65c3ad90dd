// ecusim's wire: bytes from the line cut into requests, each answered, the
// written blocks then run through the engine model. The input's first byte
// picks how the rest arrives in pieces.
#include "FuzzIngresso.h"

#include "EcuDefaults.h"
#include "EngineModel.h"
#include "MemoryBlocks.h"
#include "MessageFramer.h"
#include "ServiceHandler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray ingresso = fuzz::Byte(data, size);
    const int pezzo = 1 + fuzz::Primo(ingresso) % 32;
    const QByteArray filo = ingresso.mid(1);

    MemoryBlocks memoria;
    EcuDefaults::apply(memoria, fuzz::Primo(ingresso) & 0x80 ? EcuDefaults::Fuel::Cng : EcuDefaults::Fuel::Lpg);
    ServiceHandler servizi(memoria, !(fuzz::Primo(ingresso) & 0x40));
    EngineModel motore(memoria);
    MessageFramer framer;
    for (qsizetype i = 0; i < filo.size(); i += pezzo) {
        for (const QByteArray &richiesta : framer.feed(filo.mid(i, pezzo))) {
            const QByteArray risposta = servizi.handle(richiesta);
            if (risposta.size() > 255)
                __builtin_trap(); // the length byte counts the whole answer
            motore.syncCommandBlock();
            motore.step(50);
        }
    }
    motore.describe();
    return 0;
}
