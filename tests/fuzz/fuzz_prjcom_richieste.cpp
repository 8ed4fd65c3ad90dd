// PrjCom's side of the pipe: the request frames it reads from the program,
// through a real pipe as in use.
#include "FuzzIngresso.h"

#include "RequestReader.h"

#include <fcntl.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A pipe holds 64 KiB: anything longer would block the writer.
    size = std::min<size_t>(size, 60000);
    int fd[2];
    if (::pipe(fd) != 0)
        return 0;
    if (::write(fd[1], data, size) != static_cast<ssize_t>(size))
        __builtin_trap();
    ::close(fd[1]);

    RequestReader reader(fd[0]);
    for (int frames = 0;; ++frames) {
        const Request r = reader.next();
        if (r.kind == Request::Kind::EndOfInput)
            break;
        if (frames > static_cast<int>(size) || r.data.size() > RequestReader::MaxFrameSize)
            __builtin_trap();
    }
    ::close(fd[0]);
    return 0;
}
