#include "Comandi.h"
#include "Console.h"
#include "SessioneCli.h"
#include "ecu/SequenzeBlocchi.h"
#include "ui/line/ModelloRetta.h"

namespace gascal::cli {

namespace {

void StampaLinea(const Contesto &ctx)
{
    const ModelloRetta &r = ctx.retta;
    QStringList pivot, punti;
    for (qint32 p : r.Pivot)
        pivot << QString::number(p);
    for (qint32 v : r.Retta)
        punti << QString::number(v);
    Stampa(QStringLiteral("pivots ") + pivot.join(QLatin1Char(' ')));
    Stampa(QStringLiteral("points ") + punti.join(QLatin1Char(' ')));
    const QStringList scala = ctx.scale.ListaScelte(QStringLiteral("[Scala retta]"));
    if (!scala.isEmpty()) {
        QStringList valori;
        for (qint32 v : r.Scala)
            valori << QString::number(v);
        Stampa(QStringLiteral("scale ") + valori.join(QLatin1Char(' ')));
    }
}

// Reads the line from the ECU into the model; false when it could not be read.
bool LeggiLinea(Contesto &ctx)
{
    SequenzeBlocchi letture(ctx);
    if (letture.LeggiRecord(Contesto::RecMappa, true) != 0
        || letture.LeggiRecord(Contesto::RecBlk5, true) != 0) {
        Errore(QStringLiteral("the calibration line could not be read from the ECU"));
        return false;
    }
    if (!ctx.retta.CaricaDaEcu(ctx))
        Errore(QStringLiteral("the ECU's pivots are not in order; the default pivots are used"));
    return true;
}

QString NomePivot(int p)
{
    return QStringLiteral("P%1").arg(p + 1);
}

} // namespace

QString LeggiRichiestaLinea(const QStringList &argomenti, int passi, RichiestaLinea &r)
{
    r = RichiestaLinea{};
    r.passi = passi;
    r.azione = argomenti.value(0);
    if (passi != 1 && r.azione != QLatin1String("raise") && r.azione != QLatin1String("lower"))
        return QStringLiteral("--steps applies to line raise and line lower only");
    if (argomenti.isEmpty())
        return {};
    const bool conPivot = r.azione == QLatin1String("raise") || r.azione == QLatin1String("lower")
        || r.azione == QLatin1String("left") || r.azione == QLatin1String("right");
    if (r.azione == QLatin1String("reset")) {
        if (argomenti.size() != 1)
            return QStringLiteral("line reset takes no arguments");
        return {};
    }
    if (r.azione == QLatin1String("all")) {
        bool ok = false;
        const QString testo = argomenti.value(1);
        r.valore = testo.toInt(&ok);
        if (argomenti.size() != 2 || !ok || r.valore == 0
            || !(testo.startsWith(QLatin1Char('+')) || testo.startsWith(QLatin1Char('-'))))
            return QStringLiteral("line all needs a signed number of steps, e.g. +3 or -2");
        if (qAbs(r.valore) > 255)
            return QStringLiteral("line all: at most 255 steps");
        return {};
    }
    if (!conPivot)
        return QStringLiteral("unknown line action '%1'").arg(r.azione);
    bool ok = false;
    QString testo = argomenti.value(1);
    if (testo.startsWith(QLatin1Char('P'), Qt::CaseInsensitive))
        testo.remove(0, 1);
    r.valore = testo.toInt(&ok) - 1;
    if (argomenti.size() != 2 || !ok || r.valore < 0 || r.valore >= ModelloRetta::NumPivot)
        return QStringLiteral("line %1 needs a pivot 1..9").arg(r.azione);
    return {};
}

int ComandoLinea(SessioneCli &s, int timeoutSec, const RichiestaLinea &r)
{
    if (!s.CercaEcu(timeoutSec, false))
        return 1;
    Contesto &ctx = s.ctx;
    ctx.retta.CaricaScala(ctx.scale);
    if (!LeggiLinea(ctx))
        return 1;
    if (r.azione.isEmpty()) {
        StampaLinea(ctx);
        return 0;
    }

    ModelloRetta &m = ctx.retta;
    if (r.azione == QLatin1String("reset")) {
        m.DefaultRetta();
    } else if (r.azione == QLatin1String("all")) {
        for (int i = 0; i < qAbs(r.valore); ++i)
            m.Passo(r.valore > 0 ? ModelloRetta::Alza : ModelloRetta::Abbassa, true);
    } else if (r.azione == QLatin1String("raise") || r.azione == QLatin1String("lower")) {
        m.PivotSel = r.valore;
        for (int i = 0; i < r.passi; ++i)
            m.Passo(r.azione == QLatin1String("raise") ? ModelloRetta::Alza : ModelloRetta::Abbassa,
                    false);
    } else {
        m.PivotSel = r.valore;
        const bool destra = r.azione == QLatin1String("right");
        switch (m.Passo(destra ? ModelloRetta::Destra : ModelloRetta::Sinistra, false)) {
        case ModelloRetta::Esito::PivotFisso:
            Errore(QStringLiteral("%1 never moves sideways; nothing was sent").arg(NomePivot(r.valore)));
            return 1;
        case ModelloRetta::Esito::TroppoVicino:
            Errore(QStringLiteral("%1 cannot move %2: it would come closer than %3 points to %4; "
                                  "nothing was sent")
                       .arg(NomePivot(r.valore), r.azione)
                       .arg(ModelloRetta::DistanzaMinima)
                       .arg(NomePivot(r.valore + (destra ? 1 : -1))));
            return 1;
        case ModelloRetta::Esito::Eseguita:
            break;
        }
    }
    for (int i = 0; i < ModelloRetta::NumPunti; ++i)
        if (m.Retta[i] < -128 || m.Retta[i] > 127)
            Errore(QStringLiteral("point %1 (%2) does not fit a byte: %3 is sent")
                       .arg(i)
                       .arg(m.Retta[i])
                       .arg(qBound(-128, m.Retta[i], 127)));

    m.PrepareScaricaRettaDiCalibrazione(ctx);
    if (!s.ciclo.Operazioni().Esegui(Operazione::ScriviRetta).riuscita) {
        Errore(QStringLiteral("the ECU did not take the calibration line"));
        return 1;
    }
    if (!LeggiLinea(ctx))
        return 1;
    StampaLinea(ctx);
    return 0;
}

} // namespace gascal::cli
