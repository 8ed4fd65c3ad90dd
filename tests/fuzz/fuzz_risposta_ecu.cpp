// The ECU's answers as PrjCom judges them (probe or framed message), and the
// firmware identity that chooses the line's speed.
#include "FuzzIngresso.h"

#include "EcuLine.h"
#include "LineSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray risposta = fuzz::Byte(data, size);
    for (auto forma : {EcuLine::Shape::Probe, EcuLine::Shape::Message}) {
        const EcuStatus esito = EcuLine::judge(risposta, forma);
        // Whatever is taken as an answer is whole: its checksum is right.
        if (esito == EcuStatus::Success) {
            quint8 x = 0;
            for (qsizetype i = 0; i + 1 < risposta.size(); ++i)
                x ^= static_cast<quint8>(risposta.at(i));
            if (risposta.isEmpty() || x != static_cast<quint8>(risposta.back()))
                __builtin_trap();
        }
    }
    LineSettings linea;
    linea.selectFromProbe(risposta);
    if (linea.baudRate() <= 0)
        __builtin_trap();
    return 0;
}
