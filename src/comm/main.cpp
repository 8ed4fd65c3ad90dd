// PrjCom: the serial bridge between GasCal's pipes and the ECU.
// Request frames come on standard input, reply frames go to standard output,
// one reply per request; see docs/protocol.md.
//
//   PrjCom [FOLDER]   PrjCom.ini is read from FOLDER (default: PrjCom's own folder)
//   PrjCom --version

#include "CommandDispatcher.h"
#include "PortTable.h"
#include "ReplyWriter.h"
#include "RequestReader.h"
#include "Versione.h"

#include <QCoreApplication>

#include <csignal>
#include <initializer_list>
#include <cstdio>
#include <cstring>

namespace {

// Standard error is the program's console (or nothing): PrjCom stays quiet.
void dropMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

} // namespace

int main(int argc, char *argv[])
{
    // A dead program shows as a failed write, not as a signal.
    std::signal(SIGPIPE, SIG_IGN);
    // Ctrl+C, a closed terminal or a time limit reach the program's whole
    // process group: they are the program's to act on. It puts the ECU back
    // through PrjCom and then closes it; a program that dies closes its
    // pipe, and the end of input ends PrjCom.
    for (int segnale : {SIGINT, SIGTERM, SIGHUP})
        std::signal(segnale, SIG_IGN);
    qInstallMessageHandler(dropMessage);

    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("PrjCom %s\n", GASCAL_VERSIONE);
        return 0;
    }
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QCoreApplication::applicationDirPath();
    CommandDispatcher dispatcher{PortTable(folder)};
    RequestReader requests(0);
    ReplyWriter replies(1);

    for (;;) {
        const Request request = requests.next();
        if (request.kind == Request::Kind::EndOfInput)
            return 0;  // the program is gone
        const Reply reply = dispatcher.handle(request);
        if (!replies.write(reply, dispatcher.openPort(), dispatcher.mode()))
            return 0;
        if (dispatcher.exitRequested())
            return 0;
    }
}
