#include "mapfile/FileMappa.h"

#include "app/TestoByte.h"
#include "ecu/FileTesto.h"
#include "link/MessaggioEcu.h"

#include <QList>

namespace gascal::FileMappa {

namespace {

const QByteArray FineRiga("\r\n");

QByteArray Esa(const QByteArray &blocco)
{
    return StrToHex(blocco).toLatin1();
}

// Header (5 bytes) and checksum (1 byte) in hex digits.
constexpr int CifreMinime = 12;

// The ECU's answers: address, second byte, whole length, service + 0x40 (or
// 0x7F and the refused service), status, data, checksum.
constexpr int PosLunghezza = 2;
constexpr int PosServizio = 3;
constexpr quint8 CodiceRifiuto = 0x7F;

// Byte 14 (1-based) of a configuration block longer than 27 bytes.
constexpr int BytePiedistallo = 13;
constexpr int LunghezzaConPiedistallo = 27;

} // namespace

QByteArray Componi(const Contenuto &c)
{
    const QList<QByteArray> righe{
        "[INFO]",  c.Info,
        "[NOTE]",  c.Nota,
        "[FW]",    Esa(c.Firmware), c.Firmware,
        "[COLL]",  Esa(c.Coll),
        "[BLK_1]", Esa(c.Blk1),
        "[BLK_2]", Esa(c.Blk2),
        "[BLK_3]", Esa(c.Blk3),
        "[BLK_5]", Esa(c.Blk5),
        "[MAP_0]", Esa(c.Map0),
    };
    QByteArray testo;
    for (const QByteArray &riga : righe)
        testo += riga + FineRiga;
    return testo;
}

QString Leggi(const QByteArray &testo, BlocchiCaricati &blocchi)
{
    struct Sezione {
        const char *nome;
        QString *riga;
        bool trovata = false;
    };
    Sezione sezioni[] = {{"[BLK_2]", &blocchi.Blk2}, {"[BLK_3]", &blocchi.Blk3},
                         {"[BLK_5]", &blocchi.Blk5}, {"[MAP_0]", &blocchi.Map0}};

    const QList<QByteArray> righe = FileTesto::RigheBlocchi(testo);
    for (qsizetype i = 0; i < righe.size(); ++i) {
        for (Sezione &s : sezioni) {
            if (righe.at(i) != s.nome)
                continue;
            // Two blocks for one section: which one was meant cannot be told.
            if (s.trovata)
                return QStringLiteral("the section %1 appears more than once")
                    .arg(QString::fromLatin1(s.nome));
            s.trovata = i + 1 < righe.size();
            *s.riga = s.trovata ? QString::fromLatin1(righe.at(i + 1).trimmed()) : QString();
            ++i;
            break;
        }
    }

    for (const Sezione &s : sezioni) {
        const QString nome = QString::fromLatin1(s.nome);
        if (!s.trovata)
            return QStringLiteral("the section %1 is missing").arg(nome);
        if (!IsHex(*s.riga))
            return QStringLiteral("the block line of section %1 is not hex text").arg(nome);
        if (s.riga->size() < CifreMinime)
            return QStringLiteral("the block line of section %1 is too short "
                                  "(%2 hex digits, at least %3 needed)")
                .arg(nome)
                .arg(s.riga->size())
                .arg(CifreMinime);
        if (s.riga->size() % 2 != 0)
            return QStringLiteral("the block line of section %1 has an odd number of hex digits")
                .arg(nome);
        const QString motivo = ControllaBlocco(HexToStr(*s.riga), nome == QLatin1String("[BLK_3]"));
        if (!motivo.isEmpty())
            return QStringLiteral("the block of section %1 %2").arg(nome, motivo);
    }
    return {};
}

QString ControllaBlocco(const QByteArray &blocco, bool configurazione)
{
    if (blocco.size() < CifreMinime / 2)
        return QStringLiteral("is too short (%1 bytes)").arg(blocco.size());
    if (static_cast<quint8>(blocco.at(PosServizio)) == CodiceRifiuto)
        return QStringLiteral("is the ECU's refusal answer, not a block");
    const int lunghezza = static_cast<quint8>(blocco.at(PosLunghezza));
    if (lunghezza != blocco.size())
        return QStringLiteral("says it is %1 bytes long but holds %2").arg(lunghezza).arg(blocco.size());
    // The configuration block is saved with its pedestal guard (a flag) set
    // and its checksum as the ECU sent it: the flag may have been 0 or 1.
    const quint8 somma = static_cast<quint8>(blocco.back());
    quint8 calcolata = MessaggioEcu::ChecksumXor(blocco.chopped(1));
    bool giusta = calcolata == somma;
    if (configurazione && blocco.size() > LunghezzaConPiedistallo) {
        calcolata ^= static_cast<quint8>(blocco.at(BytePiedistallo));
        giusta = giusta || calcolata == somma || (calcolata ^ 1) == somma;
    }
    if (!giusta)
        return QStringLiteral("has a wrong checksum");
    return {};
}

QByteArray DatiBlocco(const QString &riga)
{
    if (riga.size() < CifreMinime)
        return {};
    return HexToStr(riga.mid(10, riga.size() - CifreMinime));
}

} // namespace gascal::FileMappa
