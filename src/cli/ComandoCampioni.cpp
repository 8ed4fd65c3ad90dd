#include "Comandi.h"
#include "Console.h"
#include "SessioneCli.h"
#include "app/Orologio.h"
#include "app/SegnaliUscita.h"
#include "interp/FileCampioni.h"
#include "interp/Interpolazione.h"
#include "interp/ModoInterpolazione.h"

#include <QFileInfo>
#include <QStringList>

namespace gascal::cli {

namespace {

// The frame's pace: a cycle every 50 ms (RitmoLettura: the live record, and
// the mode commands' record every sixth), the window's refresh every 100 ms.
constexpr double Ciclo_usec = 50000;

QString TestoCurva(const char *nome, const Curva &curva)
{
    QStringList campi{QString::fromLatin1(nome)};
    for (const Punto &p : curva)
        campi << QStringLiteral("%1,%2").arg(p.X).arg(p.Y);
    return campi.join(QLatin1Char(' '));
}

void StampaTabelle(const TabelleCampioni &tabelle)
{
    QString testo = tabelle.Testo();
    testo.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    testo.chop(1);
    Stampa(testo);
}

} // namespace

int ComandoCampioniFile(const QString &file, bool bezier, int percentuale)
{
    ServiziUiScriptati ui;
    Contesto ctx(ui);
    QString errore;
    if (!FileCampioni::CaricaCampioni(file, ctx.campioni, &errore)) {
        Errore(errore);
        return 1;
    }
    Interpolazione modello(ctx);
    modello.ImpostaFileMemo({});
    modello.Percentuale = percentuale;
    modello.Calcola(bezier);
    StampaTabelle(ctx.campioni);
    Stampa(TestoCurva("petrol", modello.CurvaBenzina()));
    Stampa(TestoCurva("gas", modello.CurvaGas()));
    QStringList d{QStringLiteral("deflection")};
    for (qint32 v : modello.Deflessione())
        d << QString::number(v);
    Stampa(d.join(QLatin1Char(' ')));
    return 0;
}

int ComandoCampioniLive(SessioneCli &s, int timeoutSec, const OpzioniCampioni &o)
{
    Contesto &ctx = s.ctx;
    const QString origine = o.in.isEmpty() ? ctx.imp.FileMemoIni : o.in;
    const QString destinazione = o.out.isEmpty() ? origine : o.out;
    QString errore;
    // The samples go on from the tables of the file, when there is one.
    if ((!o.in.isEmpty() || QFileInfo::exists(origine))
        && !FileCampioni::CaricaCampioni(origine, ctx.campioni, &errore)) {
        Errore(errore);
        return 1;
    }
    if (!s.CercaEcu(timeoutSec, false))
        return 1;

    ctx.scale.CaricaMapIni(ctx.imp.FileMapIni, ctx.ui);
    Interpolazione modello(ctx);
    modello.ImpostaFileMemo(destinazione);
    modello.Percentuale = o.percentuale;
    if (!ModoInterpolazione::Entra(ctx))
        return 1;
    // The queued configuration writes, as the frame carries them out.
    const bool inModo = s.ciclo.Operazioni().EseguiRichiesta().riuscita;
    if (!inModo)
        Errore(QStringLiteral("the ECU could not be switched to interpolation mode"));

    RitmoLettura &ritmo = s.ciclo.Ritmo();
    const double inizio = TimerApi_uSec();
    const double fine = inizio + o.secondi * 1e6;
    bool collegato = inModo;
    int segnale = 0;
    for (int n = 0; collegato; ++n) {
        if ((segnale = SegnaliUscita::Ricevuto()) != 0) {
            SegnaliUscita::Azzera();
            Errore(QStringLiteral("stopped by %1").arg(QString::fromLatin1(SegnaliUscita::Nome(segnale))));
            break;
        }
        const double prossimo = inizio + n * Ciclo_usec;
        if (prossimo >= fine)
            break;
        const double attesa = prossimo - TimerApi_uSec();
        if (attesa > 0)
            AttesaUSec(attesa);
        collegato = ritmo.Leggi() && !ritmo.LentoFallito();
        if (collegato && n % 2 == 0)
            modello.Aggiorna({o.bezier, o.senzaBenzina, o.stabilitaMs});
    }
    if (!collegato && inModo)
        Errore(QStringLiteral("reading the live data failed: sampling stopped"));

    // The samples are kept first: they are the user's work.
    const bool salvati = !inModo || modello.SalvaMemo(&errore);
    if (!salvati)
        Errore(errore);
    ModoInterpolazione::Esci(ctx);
    bool ripristinato = false;
    const QString esito = ModoInterpolazione::Ripristina(ctx, &ripristinato);
    if (ripristinato) {
        Errore(esito);   // standard output carries only the tables
    } else {
        Errore(esito);
        ripristinato = s.RipristinaAlRitorno(timeoutSec);
        if (!ripristinato)
            Errore(QStringLiteral("the ECU's pressure sensor and end-of-gas settings could not be restored: "
                                  "the next connection to this ECU puts them back"));
    }
    if (inModo && salvati)
        StampaTabelle(ctx.campioni);
    return collegato && ripristinato && salvati && segnale == 0 ? 0 : 1;
}

} // namespace gascal::cli
