// Every text the frame shows, in each of the six languages, comes from that
// language's dictionary (names, numbers and file names aside); Qt's own
// buttons and dialogs speak the language where Qt has a translation; and
// every control has a name for screen readers, the lists and boxes through
// the caption they are tied to.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "app/Contesto.h"
#include "autotune/FrmAutotuning.h"
#include "i18n/Dizionario.h"
#include "i18n/Risorse.h"
#include "interp/FrmInterpola.h"
#include "ui/common/PaginaEditor.h"
#include "ui/main/ControlliDatalog.h"
#include "ui/main/FrmBar.h"
#include "ui/main/FrmGrafico.h"
#include "ui/main/FrmWait.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QPushButton>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>

#include <algorithm>

using gascal::Dizionario;
using gascal::StatoApp;

namespace {

// Pieces of a language's texts: every line cut at its placeholders.
QStringList Frammenti(int lingua)
{
    QStringList pezzi;
    const QStringList righe = gascal::Risorse::CaricaRisorsa(Dizionario::NumeroRisorsa(lingua),
                                                             Dizionario::RisorsaDi(lingua));
    static const QRegularExpression segnaposto(QStringLiteral("%\\d"));
    for (const QString &riga : righe.mid(2))
        for (const QString &pezzo : riga.split(segnaposto))
            if (pezzo.trimmed().size() >= 2)
                pezzi << pezzo.trimmed();
    std::sort(pezzi.begin(), pezzi.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
    return pezzi;
}

// What is left of a text once the dictionary's pieces, numbers, file and
// port names and the program's name are taken out; empty when nothing
// in words is.
QString Resto(QString testo, const QStringList &frammenti)
{
    for (const QString &f : frammenti)
        testo.replace(f, QStringLiteral(" "));
    static const QRegularExpression dati(QStringLiteral(
        "GasCal|[\\w./-]*[./][\\w./-]+|\\bP\\d\\b|\\d+|\\b(PWM|PPG|ON|OFF|SL|ConfigHw)\\b"));
    testo.replace(dati, QStringLiteral(" "));
    static const QRegularExpression parola(QStringLiteral("\\p{L}{2,}"));
    QStringList parole;
    auto it = parola.globalMatch(testo);
    while (it.hasNext())
        parole << it.next().captured();
    return parole.join(QLatin1Char(' '));
}

// Qt's own parts of a widget (a scroll area's viewport and bars, a combo's
// popup): not controls of the program. The frame's client area lies in such
// a viewport too, and is the program's.
bool Interno(const QWidget *w)
{
    for (const QObject *o = w; o; o = o->parent()) {
        const bool areaFrame = o->objectName() == QLatin1String("qt_scrollarea_viewport") && o->parent()
            && o->parent()->objectName() == QLatin1String("AreaScorrimento");
        if (o->objectName().startsWith(QLatin1String("qt_")) && !areaFrame)
            return true;
    }
    return false;
}

// The texts of a window and its children: captions, tips, names, titles,
// headings and the program's own list entries.
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
        else if (auto *c = qobject_cast<QComboBox *>(w)) {
            // The pages' lists hold the content files' entries: not the program's.
            if (!dynamic_cast<gascal::PaginaEditor *>(c->parentWidget()))
                for (int i = 0; i < c->count(); ++i)
                    testi << c->itemText(i);
        }
        else if (auto *t = qobject_cast<QTableWidget *>(w)) {
            for (int c = 0; c < t->columnCount(); ++c)
                if (t->horizontalHeaderItem(c))
                    testi << t->horizontalHeaderItem(c)->text();
        }
    }
    for (QAction *a : radice->findChildren<QAction *>())
        testi << a->text() << a->toolTip();
    testi.removeAll(QString());
    return testi;
}

bool Controllo(const QWidget *w)
{
    if (qobject_cast<const QHeaderView *>(w))
        return false;
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QComboBox *>(w)
        || qobject_cast<const QLineEdit *>(w) || qobject_cast<const QAbstractItemView *>(w)
        || qobject_cast<const QAbstractSlider *>(w);
}

// Controls that a screen reader cannot name.
QStringList SenzaNome(QWidget *radice)
{
    QStringList senza;
    for (QWidget *w : radice->findChildren<QWidget *>()) {
        if (!Controllo(w) || Interno(w) || w->window() != radice->window())
            continue;
        QAccessibleInterface *acc = QAccessible::queryAccessibleInterface(w);
        if (!acc)
            continue;
        // A part of a list or table (its corner button, its header) goes with it.
        bool parte = false;
        for (const QWidget *g = w->parentWidget(); g && g != radice; g = g->parentWidget())
            parte = parte || qobject_cast<const QAbstractItemView *>(g);
        if (parte)
            continue;
        const bool casella = qobject_cast<QComboBox *>(w) || qobject_cast<QLineEdit *>(w)
            || qobject_cast<QAbstractSlider *>(w);
        // Named on purpose, or by a caption of its own: a tip alone is no name.
        bool nominato = !w->accessibleName().isEmpty();
        if (casella) {
            // Named by the caption it is tied to, not by its value.
            for (const auto &[etichetta, relazione] : acc->relations(QAccessible::Label))
                if (etichetta && !etichetta->text(QAccessible::Name).trimmed().isEmpty())
                    nominato = true;
        } else if (auto *b = qobject_cast<QAbstractButton *>(w)) {
            nominato = nominato || !b->text().trimmed().isEmpty();
        } else {
            nominato = nominato || !acc->text(QAccessible::Name).trimmed().isEmpty();
        }
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
private slots:
    void ogniTestoNellaLinguaScelta()
    {
        ProgrammaProva p;
        QVERIFY(p.AvviaOffline());
        p.frame->show();
        p.frame->Datalog()->CmdGrafico_Click(); // the chart and interpolation windows too
        QVERIFY(p.frame->Datalog()->Grafico());
        p.frame->MostraInterpolazione();
        QVERIFY(p.frame->Interpola());
        QStringList mancanti;
        for (int giro = 0; giro < Dizionario::NumeroLingue; ++giro) {
            // The live values and the wait window take the language at their next refresh.
            QSignalSpy refresh(p.frame->Timer2, &QTimer::timeout);
            QVERIFY(refresh.wait() && refresh.wait());
            QSignalSpy tick(p.frame->Timer1, &QTimer::timeout);
            QVERIFY(tick.wait());
            const int lingua = p.ctx.diz.LinguaCorrente;
            const QStringList frammenti = Frammenti(lingua);
            // Every page once, so that each page's texts are set.
            for (int k = 0; k < 3; ++k)
                p.frame->CmdPage_Click();
            QStringList testi = Testi(p.frame.get()) + Testi(p.frame->Datalog()->Grafico())
                + Testi(p.frame->Interpola());
            testi.removeDuplicates();
            for (const QString &t : testi) {
                const QString resto = Resto(t, frammenti);
                if (!resto.isEmpty())
                    mancanti << QStringLiteral("%1: \"%2\" (%3)").arg(Dizionario::RisorsaDi(lingua), t, resto);
            }
            // Qt's own buttons, where Qt speaks the language.
            const QString si = QCoreApplication::translate("QPlatformTheme", "&Yes");
            const bool qtTradotto = lingua != 0 && lingua != 4; // no Thai translation of Qt
            if (qtTradotto == (si == QLatin1String("&Yes")))
                mancanti << QStringLiteral("%1: Qt's Yes button says %2").arg(Dizionario::RisorsaDi(lingua), si);
            p.frame->Barra()->CmdLingua->click();
        }
        for (const QString &m : mancanti)
            qWarning().noquote() << m;
        QVERIFY2(mancanti.isEmpty(), "texts not in the language's dictionary (listed above)");
        QCOMPARE(p.ctx.diz.LinguaCorrente, 0); // round the six and back
    }

    void ogniControlloHaUnNome()
    {
        ProgrammaProva p;
        QVERIFY(p.AvviaOffline());
        p.frame->show();
        p.frame->Datalog()->CmdGrafico_Click();
        p.frame->MostraInterpolazione();
        QStringList senza = SenzaNome(p.frame.get()) + SenzaNome(p.frame->Datalog()->Grafico())
            + SenzaNome(p.frame->Interpola());
        QVERIFY2(senza.isEmpty(), qPrintable(senza.join(QLatin1Char('\n'))));
        // The switch-over lists are known by their captions.
        auto *sensore = p.frame->FrmConfig()->findChild<QComboBox *>(QStringLiteral("CmbTipoSensMap"));
        QVERIFY(sensore);
        QAccessibleInterface *acc = QAccessible::queryAccessibleInterface(sensore);
        const auto etichette = acc->relations(QAccessible::Label);
        QCOMPARE(etichette.size(), 1);
        QCOMPARE(etichette.first().first->text(QAccessible::Name),
                 p.ctx.diz.TestoSezione(QStringLiteral("[Frm_Config]"), 17));
    }
};

GASCAL_PROVA(TstLingueAccessibilita)
#include "tst_lingue_accessibilita.moc"
