// ecusim's control channel: command lines, the engine model stepped after each.
#include "FuzzIngresso.h"

#include "ControlCommands.h"
#include "EcuDefaults.h"
#include "EngineModel.h"
#include "MemoryBlocks.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    MemoryBlocks memoria;
    EcuDefaults::apply(memoria);
    EngineModel motore(memoria);
    ControlCommands comandi(motore);
    // As the channel takes them: one command per line, blank lines skipped.
    for (const QByteArray &riga : fuzz::Byte(data, size).split('\n')) {
        const QString testo = QString::fromUtf8(riga).trimmed();
        if (testo.isEmpty())
            continue;
        bool fine = false;
        if (!comandi.execute(testo, &fine).size())
            __builtin_trap(); // every line is answered
        for (int i = 0; i < 20; ++i)
            motore.step(100);
        if (fine)
            break;
    }
    motore.describe();
    return 0;
}
