// PrjCom: the serial bridge between GasCal's pipes and the ECU.
// Request frames come on standard input, reply frames go to standard output,
// one reply per request; see docs/protocol.md.

#include "CommandDispatcher.h"
#include "PortTable.h"
#include "ReplyWriter.h"
#include "RequestReader.h"

#include <QCoreApplication>

#include <csignal>

namespace {

// Standard error is the program's console (or nothing): PrjCom stays quiet.
void dropMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

} // namespace

int main(int argc, char *argv[])
{
    // A dead program shows as a failed write, not as a signal.
    std::signal(SIGPIPE, SIG_IGN);
    qInstallMessageHandler(dropMessage);

    QCoreApplication app(argc, argv);
    CommandDispatcher dispatcher{PortTable(QCoreApplication::applicationDirPath())};
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
