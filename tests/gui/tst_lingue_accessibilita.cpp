// In each language every text shown comes from its dictionary, in its font, and fits; every control has a name.
#include "RegistroProve.h"
#include "ProgrammaProva.h"
#include "i18n/Risorse.h"
#include "interp/FrmInterpola.h"
#include "ui/main/ControlliDatalog.h"
#include "ui/main/FrmGrafico.h"
#include "ui/config/FrmConfig.h"
#include "ui/config/FrmConfig_2.h"
#include "ui/line/FrmRetta.h"
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLayout>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>

using gascal::Dizionario;

namespace {
// Pieces of a language's texts, longest first: every line cut at its placeholders.
QStringList Frammenti(int lingua)
{
    QStringList pezzi;
    for (const QString &riga : gascal::Risorse::CaricaRisorsa(Dizionario::NumeroRisorsa(lingua), Dizionario::RisorsaDi(lingua)).mid(2))
        for (const QString &pezzo : riga.split(QRegularExpression(QStringLiteral("%\\d"))))
            if (pezzo.trimmed().size() >= 2)
                pezzi << pezzo.trimmed();
    std::sort(pezzi.begin(), pezzi.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
    return pezzi;
}

// The words left once dictionary pieces, numbers, file, port and program names are out.
QString Resto(QString testo, const QStringList &frammenti)
{
    for (const QString &f : frammenti)
        testo.replace(f, QStringLiteral(" "));
    static const QRegularExpression dati(QStringLiteral(
        "GasCal|[\\w./-]*[./][\\w./-]+|\\bP\\d\\b|\\d+|\\b(PWM|PPG|ON|OFF|SL|ConfigHw)\\b"));
    testo.replace(dati, QStringLiteral(" "));
    QStringList parole;
    for (auto it = QRegularExpression(QStringLiteral("\\p{L}{2,}")).globalMatch(testo); it.hasNext();)
        parole << it.next().captured();
    return parole.join(QLatin1Char(' '));
}

// Qt's own parts of a widget (viewport, bars, popup); the frame's client area is the program's.
bool Interno(const QWidget *w)
{
    for (const QObject *o = w; o; o = o->parent())
        if (o->objectName().startsWith(QLatin1String("qt_")) && !(o->objectName() == QLatin1String("qt_scrollarea_viewport")
                                                                   && o->parent()->objectName() == QLatin1String("AreaScorrimento")))
            return true;
    return false;
}

// A window's texts: captions, tips, names, titles, headings, the program's own list entries.
QStringList Testi(QWidget *radice)
{
    QList<QWidget *> widget = radice->findChildren<QWidget *>();
    widget.prepend(radice);
    QStringList testi;
    for (QWidget *w : widget) {
        if (Interno(w) || (w->isWindow() && w != radice))
            continue;
        testi << w->toolTip() << w->accessibleName();
        if (auto *l = qobject_cast<QLabel *>(w))
            testi << l->text();
        else if (auto *b = qobject_cast<QAbstractButton *>(w))
            testi << b->text();
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            testi << g->title();
        else if (auto *c = qobject_cast<QComboBox *>(w); c && !dynamic_cast<gascal::PaginaEditor *>(c->parentWidget()))
            for (int i = 0; i < c->count(); ++i)
                testi << c->itemText(i);
        else if (auto *t = qobject_cast<QTableWidget *>(w))
            for (int c = 0; c < t->columnCount(); ++c)
                testi << (t->horizontalHeaderItem(c) ? t->horizontalHeaderItem(c)->text() : QString());
    }
    for (QAction *a : radice->findChildren<QAction *>())
        testi << a->text() << a->toolTip();
    testi.removeAll(QString());
    return testi;
}

// Controls a screen reader cannot name (a tip is no name; a box goes by its tied caption).
QStringList SenzaNome(QWidget *radice)
{
    QStringList senza;
    for (QWidget *w : radice->findChildren<QWidget *>()) {
        const bool casella = qobject_cast<QComboBox *>(w) || qobject_cast<QLineEdit *>(w) || qobject_cast<QAbstractSlider *>(w);
        auto *b = qobject_cast<QAbstractButton *>(w);
        bool parte = false;
        for (const QWidget *g = w->parentWidget(); g && g != radice; g = g->parentWidget())
            parte = parte || qobject_cast<const QAbstractItemView *>(g);
        if ((!casella && !b && !qobject_cast<QAbstractItemView *>(w)) || qobject_cast<QHeaderView *>(w) || Interno(w)
            || w->window() != radice->window() || parte)
            continue;
        QAccessibleInterface *acc = QAccessible::queryAccessibleInterface(w);
        if (!acc)
            continue;
        bool nominato = !w->accessibleName().isEmpty();
        if (casella)
            for (const auto &[etichetta, relazione] : acc->relations(QAccessible::Label))
                nominato = nominato || (etichetta && !etichetta->text(QAccessible::Name).trimmed().isEmpty());
        else
            nominato = nominato || !(b ? b->text() : acc->text(QAccessible::Name)).trimmed().isEmpty();
        if (!nominato)
            senza << QStringLiteral("%1 (%2 in %3)").arg(w->objectName(), QLatin1String(w->metaObject()->className()),
                                                         w->parentWidget() ? w->parentWidget()->objectName() : QString());
    }
    return senza;
}
} // namespace

class TstLingueAccessibilita : public QObject
{
    Q_OBJECT
    std::unique_ptr<ProgrammaProva> p;
    gascal::FrmGrafico *grafico = nullptr;
    QList<QWidget *> Finestre() const { return {p->frame.get(), grafico, p->frame->Interpola()}; }

private slots:
    void initTestCase()
    {
        p = std::make_unique<ProgrammaProva>();
        QVERIFY(p->AvviaOffline());
        p->frame->show();
        p->frame->Datalog()->CmdGrafico_Click(); // the chart and interpolation windows too
        grafico = p->frame->Datalog()->Grafico();
        QVERIFY(grafico);
        grafico->ImpostaFinestra(60);
        p->frame->MostraInterpolazione();
        QVERIFY(p->frame->Interpola());
    }
    void cleanupTestCase() { p.reset(); }

    void ogniControlloHaUnNome()
    {
        QStringList senza;
        for (QWidget *f : Finestre())
            senza += SenzaNome(f);
        QVERIFY2(senza.isEmpty(), qPrintable(senza.join(QLatin1Char('\n'))));
        // The switch-over lists are known by their captions.
        auto *sensore = p->frame->FrmConfig()->findChild<QComboBox *>(QStringLiteral("CmbTipoSensMap"));
        QVERIFY(sensore);
        const auto etichette = QAccessible::queryAccessibleInterface(sensore)->relations(QAccessible::Label);
        QCOMPARE(etichette.size(), 1);
        QCOMPARE(etichette.first().first->text(QAccessible::Name),
                 p->ctx.diz.TestoSezione(QStringLiteral("[Frm_Config]"), 17));
    }
    void ogniTestoNellaLinguaScelta()
    {
        QStringList mancanti;
        for (int giro = 0; giro < Dizionario::NumeroLingue; ++giro) {
            // The live values and the wait window take the language at their next refresh.
            QSignalSpy refresh(p->frame->Timer2, &QTimer::timeout);
            QVERIFY(refresh.wait() && refresh.wait());
            QSignalSpy tick(p->frame->Timer1, &QTimer::timeout);
            QVERIFY(tick.wait());
            const int lingua = p->ctx.diz.LinguaCorrente;
            const QString nome = Dizionario::RisorsaDi(lingua);
            const QStringList frammenti = Frammenti(lingua);
            for (int k = 0; k < 3; ++k) // every page once, so that each page's texts are set
                p->frame->CmdPage_Click();
            QStringList testi{grafico->windowTitle(), grafico->Filtro()};
            for (QWidget *f : Finestre())
                testi += Testi(f);
            testi.removeDuplicates();
            for (const QString &t : testi)
                if (const QString resto = Resto(t, frammenti); !resto.isEmpty())
                    mancanti << QStringLiteral("%1: \"%2\" (%3)").arg(nome, t, resto);
            // Qt's own buttons, where Qt speaks the language (it has no Thai).
            const QString si = QCoreApplication::translate("QPlatformTheme", "&Yes");
            if ((lingua != 0 && lingua != 4) == (si == QLatin1String("&Yes")))
                mancanti << QStringLiteral("%1: Qt's Yes button says %2").arg(nome, si);
            // The language's font everywhere; the chart's buttons keep their shortcuts and fit.
            gascal::FrmBar &bar = *p->frame->Barra();
            for (QWidget *w : std::initializer_list<QWidget *>{bar.CmdInfo, bar.LblRpmVal, p->frame->PaginaRetta()->LblParaRetta,
                                                                static_cast<gascal::FrmConfig *>(p->frame->FrmConfig())->LblFattore,
                                                                static_cast<gascal::FrmConfig_2 *>(p->frame->FrmConfig_2())->Cmb[0],
                                                                grafico->CmdLive})
                QCOMPARE(w->font().family(), p->ctx.diz.FontNome);
            QVERIFY(p->frame->windowTitle().startsWith(p->ctx.diz.Testo(0) + QStringLiteral(" - 1.28 - 28/11/14")));
            QCOMPARE(grafico->CmdPausa->shortcut(), QKeySequence(Qt::Key_Space)); // a new text would drop it
            grafico->layout()->activate(); // the new texts' sizes, as the next event loop would
            QVERIFY2(grafico->minimumSizeHint().width() <= 1000, qPrintable(QString::number(grafico->minimumSizeHint().width())));
            for (QWidget *w : std::initializer_list<QWidget *>{grafico->CmdPausa, grafico->CmdApri, grafico->CmdLive, grafico->LblFinestra})
                QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(nome + w->property("text").toString()));
            QTest::qWait(100); // the chart's scene takes the new names on its next paint
            ProgrammaProva::Foto(grafico, QStringLiteral("grafico-") + nome);
            p->frame->Barra()->CmdLingua->click();
        }
        for (const QString &m : mancanti)
            qWarning().noquote() << m;
        QVERIFY2(mancanti.isEmpty(), "texts not in the language's dictionary (listed above)");
        QCOMPARE(p->ctx.diz.LinguaCorrente, 0); // round the six and back
    }
    // A dictionary without the chart's sections leaves the design's texts, never empty buttons.
    void dizionarioVecchioTieneITestiDiProgetto()
    {
        p->ctx.diz.ImpostaTesti({QStringLiteral("Titolo"), QStringLiteral("[Frm_Barra]")});
        p->frame->Datalog()->CaricaLingua();
        QCOMPARE(grafico->CmdApri->text(), QStringLiteral("Open recording..."));
        QCOMPARE(grafico->ChkCanale[gascal::ModelloGrafico::Carburante]->text(), QStringLiteral("On gas"));
        QCOMPARE(grafico->Filtro(), QStringLiteral("Recordings  (*.csv)|*.csv|All Files  (*.*)|*.*"));
        QCOMPARE(p->frame->Datalog()->CmdGrafico->text(), QStringLiteral("Charts"));
    }
};

GASCAL_PROVA(TstLingueAccessibilita)
#include "tst_lingue_accessibilita.moc"
