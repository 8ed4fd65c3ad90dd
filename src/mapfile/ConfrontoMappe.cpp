#include "mapfile/ConfrontoMappe.h"

#include "app/Contesto.h"
#include "app/LetturaLimitata.h"
#include "app/TestoByte.h"
#include "config/ImpostazioniPerNome.h"
#include "mapfile/FileMappa.h"
#include "mapfile/Mappa.h"
#include "ui/line/ModelloRetta.h"
#include "i18n/TraduttoreDizionario.h"

#include <QFile>

namespace gascal {

const int ConfrontoMappe::Record[4] = {Contesto::RecComandi, Contesto::RecConfig, Contesto::RecBlk5,
                                       Contesto::RecMappa};
const char *const ConfrontoMappe::Sezioni[4] = {"[BLK_2]", "[BLK_3]", "[BLK_5]", "[MAP_0]"};

namespace {
// Header bytes before a block's data; the loader zeroes the first two data
// bytes of [BLK_2], so they never make a difference.
constexpr int Intestazione = 5;
constexpr int IgnoratiBlk2 = 2;
// Value of the configuration record that switches the pedestal guard on.
constexpr int ValoreGuardia = 6;
} // namespace

bool ConfrontoMappe::LeggiFile(const QString &file, Lato lato)
{
    m_errore = Mappa::ControllaFile(file);
    if (!m_errore.isEmpty())
        return false;
    QByteArray dati;
    const QString illeggibile = LetturaLimitata::Leggi(file, LetturaLimitata::Tipo::Mappa, dati);
    if (!illeggibile.isEmpty()) {
        m_errore = TraduttoreDizionario::Tr("The map file %1 cannot be read: %2").arg(file, illeggibile);
        return false;
    }
    return LeggiTesto(dati, QStringLiteral("The map file %1").arg(file), lato);
}

bool ConfrontoMappe::LeggiTesto(const QByteArray &testo, const QString &origine, Lato lato)
{
    FileMappa::BlocchiCaricati righe;
    const QString motivo = FileMappa::Leggi(testo, righe);
    if (!motivo.isEmpty()) {
        m_errore = TraduttoreDizionario::Tr("%1 cannot be read: %2").arg(origine, motivo);
        return false;
    }
    const QString *hex[4] = {&righe.Blk2, &righe.Blk3, &righe.Blk5, &righe.Map0};
    for (int i = 0; i < 4; ++i)
        m_lati[lato].dati[i] = HexToStr(*hex[i]);
    m_errore.clear();
    return true;
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
    ImpostazioniPerNome imp(m_ctx);
    imp.RiempiListe();
    imp.Aggiorna();
    for (const QString &nome : imp.NomiTutti()) {
        ordine << nome;
        f.insert(nome, imp.Riga(nome).section(QStringLiteral(" = "), 1));
    }
    // The pedestal guard switch, which every saved map turns on.
    ordine << QStringLiteral("pedestal-guard");
    f.insert(ordine.last(), QString::number(m_ctx.Valore(Contesto::RecConfig, ValoreGuardia)));
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

void ConfrontoMappe::LeggiEcu(const FileMappa::Contenuto &ecu, Lato lato)
{
    const QByteArray *blocchi[4] = {&ecu.Blk2, &ecu.Blk3, &ecu.Blk5, &ecu.Map0};
    for (int i = 0; i < 4; ++i)
        m_lati[lato].dati[i] = *blocchi[i];
}

QList<ConfrontoMappe::Differenza> ConfrontoMappe::Confronta()
{
    // The records the comparison decodes into are the live pages' own.
    QMap<int, MsgRecord> prima;
    for (int r : Record)
        if (r < m_ctx.TabMsg.size())
            prima.insert(r, m_ctx.TabMsg.at(r));
    QList<Differenza> d = ConfrontaCaricando();
    for (auto it = prima.cbegin(); it != prima.cend(); ++it)
        m_ctx.TabMsg[it.key()] = it.value();
    return d;
}

QList<ConfrontoMappe::Differenza> ConfrontoMappe::ConfrontaCaricando()
{
    QList<Differenza> diff;
    const Blocchi &latoA = m_lati[A];
    const Blocchi &latoB = m_lati[B];
    QStringList nomi;
    Carica(latoB);
    const Foto fotoB = Fotografa();
    Carica(latoA);
    const Foto fotoA = Fotografa(&nomi);
    for (const QString &nome : nomi)
        if (fotoA.value(nome) != fotoB.value(nome))
            diff.append({nome, fotoA.value(nome), fotoB.value(nome)});

    // A byte that differs but changes no name when A takes B's value is shown raw.
    for (int i = 0; i < 4; ++i) {
        const QByteArray &a = latoA.dati[i];
        const QByteArray &b = latoB.dati[i];
        const QString sezione = QString::fromLatin1(Sezioni[i]);
        if (a.size() != b.size())
            diff.append({sezione + QStringLiteral(" length"), QStringLiteral("%1 bytes").arg(a.size()),
                         QStringLiteral("%1 bytes").arg(b.size())});
        const int primo = Intestazione + (i == 0 ? IgnoratiBlk2 : 0);
        // The last byte of each is the checksum.
        const int fine = int(std::min(a.size(), b.size())) - 1;
        for (int j = primo; j < fine; ++j) {
            if (a.at(j) == b.at(j))
                continue;
            Blocchi prova = latoA;
            prova.dati[i][j] = b.at(j);
            Carica(prova);
            if (Fotografa() != fotoA)
                continue;
            diff.append({QStringLiteral("%1 byte %2").arg(sezione).arg(j + 1), StrToHex(a.mid(j, 1)),
                         StrToHex(b.mid(j, 1))});
        }
    }
    return diff;
}

QString ConfrontoMappe::Riga(const Differenza &d)
{
    return QStringLiteral("%1: %2 | %3").arg(d.nome, d.a, d.b);
}

QStringList ConfrontoMappe::Differenze()
{
    QStringList righe;
    for (const Differenza &d : Confronta())
        righe << Riga(d);
    return righe;
}

} // namespace gascal
