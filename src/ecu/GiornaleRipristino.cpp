#include "ecu/GiornaleRipristino.h"

#include "app/TestoByte.h"
#include "mapfile/Mappa.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <climits>

namespace gascal {

namespace {
const QByteArray Intestazione = "[RIPRISTINO]";
const QByteArray SezioneVoce = "[VOCE]";
constexpr qint64 DimensioneMassima = 64 * 1024; // a journal holds four blocks: a few kilobytes
constexpr int RecordMassimo = 64;

bool Numero(const QByteArray &testo, qint64 minimo, qint64 massimo, qint64 &valore)
{
    bool ok = false;
    valore = testo.trimmed().toLongLong(&ok);
    return ok && valore >= minimo && valore <= massimo;
}
} // namespace

QString GiornaleRipristino::NomeFile(qint32 lotto, qint32 matricola)
{
    return QStringLiteral("restore_ECU%1-%2.txt").arg(lotto).arg(matricola);
}

QString GiornaleRipristino::Percorso(const QString &cartellaDati, qint32 lotto, qint32 matricola)
{
    return QDir(cartellaDati).filePath(NomeFile(lotto, matricola));
}

QStringList GiornaleRipristino::Tutti(const QString &cartellaDati)
{
    QStringList percorsi;
    const QDir cartella(cartellaDati);
    for (const QString &nome : cartella.entryList({QStringLiteral("restore_ECU*.txt")}, QDir::Files, QDir::Name))
        percorsi << cartella.filePath(nome);
    return percorsi;
}

QByteArray GiornaleRipristino::Testo() const
{
    QByteArray t = Intestazione + "\r\n";
    t += "Operazione=" + operazione.toUtf8() + "\r\n";
    t += "Ecu=" + QByteArray::number(lotto) + '-' + QByteArray::number(matricola) + "\r\n";
    t += "Creato=" + creato.toString(Qt::ISODate).toLatin1() + "\r\n";
    for (const Voce &v : voci) {
        QByteArrayList valori;
        for (const Valore &x : v.valori)
            valori << (x.maschera != 0 ? QByteArray::number(x.indice) + ':' + QByteArray::number(x.maschera)
                                       : QByteArray::number(x.indice));
        t += SezioneVoce + "\r\n";
        t += "Record=" + QByteArray::number(v.record) + "\r\n";
        t += "Servizio=" + QByteArray::number(v.servizio) + "\r\n";
        t += "Valori=" + valori.join(',') + "\r\n";
        t += "PausaMs=" + QByteArray::number(v.pausaMs) + "\r\n";
        t += "Immagine=" + StrToHex(v.immagine).toLatin1() + "\r\n";
    }
    return t;
}

QString GiornaleRipristino::DaTesto(const QByteArray &testo)
{
    *this = {};
    const QList<QByteArray> righe = testo.split('\n');
    if (righe.isEmpty() || righe.first().trimmed() != Intestazione)
        return QStringLiteral("not a restore journal");
    bool ecu = false;
    Voce *voce = nullptr;
    for (qsizetype i = 1; i < righe.size(); ++i) {
        const QByteArray riga = righe.at(i).trimmed();
        if (riga.isEmpty())
            continue;
        if (riga == SezioneVoce) {
            voci.append(Voce{});
            voce = &voci.last();
            continue;
        }
        const qsizetype uguale = riga.indexOf('=');
        if (uguale <= 0)
            return QStringLiteral("line %1 is not KEY=VALUE").arg(i + 1);
        const QByteArray chiave = riga.left(uguale);
        const QByteArray valore = riga.mid(uguale + 1);
        qint64 n = 0;
        if (voce == nullptr) {
            if (chiave == "Operazione") {
                operazione = QString::fromUtf8(valore);
            } else if (chiave == "Ecu") {
                const QList<QByteArray> parti = valore.split('-');
                qint64 l = 0, m = 0;
                if (parti.size() != 2 || !Numero(parti[0], 0, INT_MAX, l) || !Numero(parti[1], 0, INT_MAX, m))
                    return QStringLiteral("line %1: the ECU is not LOT-SERIAL").arg(i + 1);
                lotto = static_cast<qint32>(l);
                matricola = static_cast<qint32>(m);
                ecu = true;
            } else if (chiave == "Creato") {
                creato = QDateTime::fromString(QString::fromLatin1(valore), Qt::ISODate);
            }
            continue;
        }
        if (chiave == "Record") {
            if (!Numero(valore, 0, RecordMassimo, n))
                return QStringLiteral("line %1: record out of range").arg(i + 1);
            voce->record = static_cast<int>(n);
        } else if (chiave == "Servizio") {
            if (!Numero(valore, 0, 255, n))
                return QStringLiteral("line %1: service out of range").arg(i + 1);
            voce->servizio = static_cast<quint8>(n);
        } else if (chiave == "PausaMs") {
            if (!Numero(valore, 0, 60000, n))
                return QStringLiteral("line %1: pause out of range").arg(i + 1);
            voce->pausaMs = static_cast<int>(n);
        } else if (chiave == "Valori") {
            for (const QByteArray &campo : valore.split(',')) {
                if (campo.trimmed().isEmpty())
                    continue;
                const QList<QByteArray> parti = campo.split(':');
                qint64 k = 0, m = 0;
                if (parti.size() > 2 || !Numero(parti[0], 0, 1023, k)
                    || (parti.size() == 2 && !Numero(parti[1], 1, UINT_MAX, m)))
                    return QStringLiteral("line %1: a value is not INDEX or INDEX:MASK").arg(i + 1);
                voce->valori.append(Valore{static_cast<int>(k), static_cast<qint32>(static_cast<quint32>(m))});
            }
        } else if (chiave == "Immagine") {
            const bool esadecimale = std::all_of(valore.begin(), valore.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
            if (valore.size() % 2 != 0 || !esadecimale)
                return QStringLiteral("line %1: the image is not hex").arg(i + 1);
            voce->immagine = HexToStr(QString::fromLatin1(valore));
        }
    }
    if (!ecu)
        return QStringLiteral("the journal names no ECU");
    for (const Voce &v : voci)
        if (v.servizio == 0 || v.immagine.isEmpty())
            return QStringLiteral("an entry for record %1 has no service or no image").arg(v.record);
    if (voci.isEmpty())
        return QStringLiteral("the journal holds nothing to restore");
    return {};
}

QString GiornaleRipristino::Scrivi(const QString &percorso) const
{
    QDir().mkpath(QFileInfo(percorso).absolutePath());
    return Mappa::ScriviFile(percorso, Testo());
}

std::optional<GiornaleRipristino> GiornaleRipristino::Leggi(const QString &percorso, QString *errore)
{
    const auto fallito = [&](const QString &motivo) -> std::optional<GiornaleRipristino> {
        if (errore)
            *errore = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(percorso), motivo);
        return std::nullopt;
    };
    const QFileInfo info(percorso);
    if (!info.isFile())
        return fallito(QStringLiteral("not a regular file"));
    if (info.size() > DimensioneMassima)
        return fallito(QStringLiteral("larger than a journal can be (%1 bytes)").arg(info.size()));
    QFile file(percorso);
    if (!file.open(QIODevice::ReadOnly))
        return fallito(file.errorString());
    GiornaleRipristino g;
    const QString motivo = g.DaTesto(file.read(DimensioneMassima + 1));
    if (!motivo.isEmpty())
        return fallito(motivo);
    return g;
}

} // namespace gascal
