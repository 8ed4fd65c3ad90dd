// A communication process that misbehaves as FAKECOM_MODE says:
//   silent   reads requests and never answers
//   short    answers with a frame whose length field is one more than sent
//   badcode  answers with reply code 9
//   echo     answers every command correctly with status 1 and the data echoed
//   late     answers the first request after 400 ms, the others at once
//   slow     answers every request after 300 ms
//   stale    before each command-6 reply, replies that belong to other
//            requests: a command-3 reply, the ECU answer to another service
//            and a refusal of another service; then the answer to the
//            message's own service (each in its own write, 10 ms apart)
//   crash    dies by SIGKILL when a command 6 comes; the rest as echo
//   modeback as echo, but every second mode switch (command 4) gets a frame
//            one byte short: the switch back after a sequence fails
#include <QByteArray>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <csignal>
#include <cstring>
#include <unistd.h>

static bool leggiTutto(int fd, char *buf, size_t n)
{
    size_t letti = 0;
    while (letti < n) {
        const ssize_t r = ::read(fd, buf + letti, n - letti);
        if (r <= 0)
            return false;
        letti += static_cast<size_t>(r);
    }
    return true;
}

static void scrivi(const QByteArray &frame)
{
    const ssize_t scritti = ::write(1, frame.constData(), static_cast<size_t>(frame.size()));
    (void)scritti;
}

static QByteArray risposta(quint8 codice, quint8 stato, const QByteArray &dati, int extraLunghezza = 0)
{
    const int l = 8 + int(dati.size()) + extraLunghezza;
    const char testa[] = {char((l >> 8) & 0xFF), char(l & 0xFF), char(codice), char(stato), 0, 2, 0, 0};
    return QByteArray(testa, 8) + dati;
}

// The ECU's answer to a message's service: 41 02 06 SERVICE+0x40 01 checksum,
// or 41 02 06 7F SERVICE checksum for a refusal.
static QByteArray rispostaEcu(quint8 servizio, bool rifiuto)
{
    const char byte[] = {'\x41', '\x02', '\x06', char(rifiuto ? 0x7F : servizio + 0x40), char(rifiuto ? servizio : 1)};
    QByteArray a(byte, 5);
    char x = 0;
    for (char c : a)
        x ^= c;
    return a.append(x);
}

int main()
{
    const char *m = std::getenv("FAKECOM_MODE");
    const QByteArray modo = m ? QByteArray(m) : QByteArray("echo");
    int numero = 0;
    int cambiModo = 0;
    for (;;) {
        char testa[8];
        if (!leggiTutto(0, testa, 8))
            return 0;
        const int lunghezza = static_cast<quint8>(testa[0]) + 256 * static_cast<quint8>(testa[1]);
        QByteArray dati(lunghezza - 8, '\0');
        if (lunghezza > 8 && !leggiTutto(0, dati.data(), static_cast<size_t>(dati.size())))
            return 0;
        const quint8 comando = static_cast<quint8>(testa[2]);
        ++numero;
        if (modo == "silent")
            continue;
        if (modo == "short") {
            scrivi(risposta(comando, 1, dati, 1));
        } else if (modo == "badcode") {
            scrivi(risposta(9, 1, dati));
        } else if (modo == "modeback" && comando == 4 && ++cambiModo % 2 == 0) {
            scrivi(risposta(comando, 1, dati, 1));
        } else if (modo == "late" && numero == 1) {
            QThread::msleep(400);
            scrivi(risposta(comando, 1, dati));
        } else if (modo == "slow") {
            QThread::msleep(300);
            scrivi(risposta(comando, 1, dati));
        } else if (modo == "crash" && comando == 6) {
            std::raise(SIGKILL);
        } else if (modo == "stale" && comando == 6 && dati.size() >= 4) {
            const quint8 servizio = static_cast<quint8>(dati[3]);
            for (const QByteArray &vecchia : {risposta(3, 1, QByteArray(1, '\0')),
                                              risposta(6, 1, rispostaEcu(servizio + 1, false)),
                                              risposta(6, 1, rispostaEcu(servizio + 1, true))}) {
                scrivi(vecchia);
                QThread::msleep(10);
            }
            scrivi(risposta(6, 1, rispostaEcu(servizio, false)));
        } else {
            scrivi(risposta(comando, 1, dati));
        }
        if (comando == 1)
            return 0;
    }
}
