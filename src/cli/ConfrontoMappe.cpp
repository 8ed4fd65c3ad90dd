#include "ConfrontoMappe.h"

#include "ImpostazioniCli.h"
#include "app/Contesto.h"
#include "app/TestoByte.h"
#include "mapfile/FileMappa.h"
#include "mapfile/Mappa.h"

#include <QFile>

namespace gascal::cli {

const int ConfrontoMappe::Record[4] = {Contesto::RecComandi, Contesto::RecConfig, Contesto::RecBlk5,
                                       Contesto::RecMappa};
const char *const ConfrontoMappe::Sezioni[4] = {"[BLK_2]", "[BLK_3]", "[BLK_5]", "[MAP_0]"};

namespace {
// Header bytes before a block's data; the loader zeroes the first two data
// bytes of [BLK_2], so they never make a difference.
constexpr int Intestazione = 5;
constexpr int IgnoratiBlk2 = 2;
} // namespace

bool ConfrontoMappe::LeggiFile(const QString &file, Blocchi &b)
{
    m_errore = Mappa::ControllaFile(file);
    if (!m_errore.isEmpty())
        return false;
    QFile f(file);
    FileMappa::BlocchiCaricati testi;
    if (!f.open(QIODevice::ReadOnly) || !FileMappa::Leggi(f.readAll(), testi).isEmpty()) {
        m_errore = QStringLiteral("The map file %1 cannot be read").arg(file);
        return false;
    }
    const QString *hex[4] = {&testi.Blk2, &testi.Blk3, &testi.Blk5, &testi.Map0};
    for (int i = 0; i < 4; ++i)
        b.dati[i] = HexToStr(*hex[i]);
    return true;
}

bool ConfrontoMappe::Leggi(const QString &fileA, const QString &fileB)
{
    return LeggiFile(fileA, m_a) && LeggiFile(fileB, m_b);
}

void ConfrontoMappe::Carica(const Blocchi &b)
{
    for (int i = 0; i < 4; ++i)
        if (Record[i] < m_ctx.TabMsg.size()) {
            m_ctx.TabMsg[Record[i]].Immagine = b.dati[i];
            m_ctx.Decodifica(Record[i], b.dati[i]);
        }
}

ConfrontoMappe::Foto ConfrontoMappe::Fotografa(QStringList *nomi)
{
    Foto f;
    QStringList ordine;
    ImpostazioniCli imp(m_ctx);
    imp.RiempiListe();
    imp.Aggiorna();
    for (const QString &nome : imp.NomiTutti()) {
        ordine << nome;
        f.insert(nome, imp.Riga(nome).section(QStringLiteral(" = "), 1));
    }
    // The line as the line page and `gascal-cli line` show it: pivots as
    // point indices, points as signed steps of 64 us.
    for (int k = 0; k < ModelloRetta::NumPivot; ++k) {
        const QString nome = QStringLiteral("pivot[%1]").arg(k);
        ordine << nome;
        f.insert(nome, QString::number(m_ctx.Valore(Contesto::RecBlk5, k)));
    }
    for (int i = 0; i < ModelloRetta::NumPunti; ++i) {
        const QString nome = QStringLiteral("line[%1]").arg(i);
        ordine << nome;
        f.insert(nome, QString::number(qint8(quint8(m_ctx.Valore(Contesto::RecMappa, i)))));
    }
    if (nomi)
        *nomi = ordine;
    return f;
}

QStringList ConfrontoMappe::Differenze()
{
    QStringList righe;
    QStringList nomi;
    Carica(m_b);
    const Foto fotoB = Fotografa();
    Carica(m_a);
    const Foto fotoA = Fotografa(&nomi);
    for (const QString &nome : nomi)
        if (fotoA.value(nome) != fotoB.value(nome))
            righe << QStringLiteral("%1: %2 | %3").arg(nome, fotoA.value(nome), fotoB.value(nome));

    // A byte that differs but changes no name when A takes B's value is shown raw.
    for (int i = 0; i < 4; ++i) {
        const QByteArray &a = m_a.dati[i];
        const QByteArray &b = m_b.dati[i];
        const QString sezione = QString::fromLatin1(Sezioni[i]);
        if (a.size() != b.size())
            righe << QStringLiteral("%1 length: %2 | %3 bytes").arg(sezione).arg(a.size()).arg(b.size());
        const int primo = Intestazione + (i == 0 ? IgnoratiBlk2 : 0);
        // The last byte of each is the checksum.
        const int fine = int(std::min(a.size(), b.size())) - 1;
        for (int j = primo; j < fine; ++j) {
            if (a.at(j) == b.at(j))
                continue;
            Blocchi prova = m_a;
            prova.dati[i][j] = b.at(j);
            Carica(prova);
            if (Fotografa() != fotoA)
                continue;
            righe << QStringLiteral("%1 byte %2: %3 | %4")
                         .arg(sezione)
                         .arg(j + 1)
                         .arg(StrToHex(a.mid(j, 1)), StrToHex(b.mid(j, 1)));
        }
    }
    return righe;
}

} // namespace gascal::cli
