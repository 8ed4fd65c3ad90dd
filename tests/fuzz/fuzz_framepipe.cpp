// The reply frames that the program reads from the communication process.
#include "FuzzIngresso.h"

#include "link/FramePipe.h"

using namespace gascal;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray frame = fuzz::Byte(data, size);
    RispostaPipe campi;
    const int stato = FramePipe::DecodificaRisposta(frame, campi);
    if (stato < FramePipe::Ok || stato > FramePipe::DatiMancanti
        || campi.RispDati.size() > qMax<qsizetype>(0, frame.size() - 8))
        __builtin_trap();
    return 0;
}
