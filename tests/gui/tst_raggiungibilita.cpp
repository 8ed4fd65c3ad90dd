// Every control of every page can be scrolled into view and lies whole
// inside its page, on the screen and at the scale factor the test runs with
// (ctest runs it on 1366 x 768 and 1920 x 1080 at 1, 1.5 and 2). The scroll
// position survives the live refreshes, and the autotuning window never
// stays over another page.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "autotune/FrmAutotuning.h"
#include "ui/common/PaginaEditor.h"
#include "ui/main/FrmBar.h"
#include "ui/main/FrmWait.h"

#include <QAbstractButton>
#include <QApplication>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QPushButton>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

using gascal::MDIFrm;
using gascal::StatoApp;

namespace {

bool Controllo(const QWidget *w)
{
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QComboBox *>(w)
        || qobject_cast<const QLineEdit *>(w) || qobject_cast<const QAbstractItemView *>(w)
        || (qobject_cast<const QAbstractSlider *>(w) && !qobject_cast<const QScrollBar *>(w));
}

// Empty when `w` can be scrolled into view whole: it lies in the scrolled
// area and whole in every parent up to it (a page cut by the area's edge
// cuts its controls), and it is no larger than the view; else where it is cut.
QString Taglio(QScrollArea *area, QWidget *w)
{
    QWidget *client = area->widget();
    const QRect nellArea(w->mapTo(client, QPoint(0, 0)), w->size());
    if (!client->rect().contains(nellArea) || w->width() > area->viewport()->width()
        || w->height() > area->viewport()->height())
        return QStringLiteral("%1 outside the area (%2,%3 %4x%5 in %6x%7, view %8x%9)")
            .arg(w->objectName()).arg(nellArea.x()).arg(nellArea.y()).arg(nellArea.width())
            .arg(nellArea.height()).arg(client->width()).arg(client->height())
            .arg(area->viewport()->width()).arg(area->viewport()->height());
    for (QWidget *g = w->parentWidget(); g && g != client; g = g->parentWidget()) {
        const QRect inG(w->mapTo(g, QPoint(0, 0)), w->size());
        if (!g->rect().contains(inG))
            return QStringLiteral("%1 cut by %2 (%3,%4 %5x%6 in %7x%8)")
                .arg(w->objectName(), g->objectName())
                .arg(inG.x()).arg(inG.y()).arg(inG.width()).arg(inG.height())
                .arg(g->width()).arg(g->height());
    }
    return {};
}

// Parts of a list or table (its header, its scroll bars) go with it.
bool Parte(const QWidget *w, const QWidget *pagina)
{
    for (const QWidget *g = w->parentWidget(); g && g != pagina; g = g->parentWidget())
        if (qobject_cast<const QAbstractScrollArea *>(g))
            return true;
    return false;
}

} // namespace

class TstRaggiungibilita : public QObject
{
    Q_OBJECT
private slots:
    void ogniControlloDiOgniPagina()
    {
        ProgrammaProva p;
        QVERIFY(p.AvviaOffline());
        p.frame->show();
        const QRect disponibile = p.frame->screen()->availableGeometry();
        // The frame as the installer leaves it: filling the screen.
        p.frame->setGeometry(disponibile);
        QTRY_VERIFY(disponibile.contains(p.frame->frameGeometry()));
        QScrollArea *area = p.frame->Scorrimento();
        QStringList tagli;
        for (int giro = 0; giro < 3; ++giro) {
            for (gascal::PaginaEditor *pg : {p.frame->FrmConfig(), p.frame->FrmConfig_2(), p.frame->FrmRetta()}) {
                if (!pg->isVisible())
                    continue;
                for (QWidget *w : pg->findChildren<QWidget *>()) {
                    if (!Controllo(w) || !w->isVisibleTo(pg) || Parte(w, pg))
                        continue;
                    const QString t = Taglio(area, w);
                    if (!t.isEmpty())
                        tagli << pg->objectName() + QLatin1Char(' ') + t;
                }
            }
            p.frame->CmdPage_Click();
        }
        QVERIFY2(tagli.isEmpty(), qPrintable(tagli.join(QLatin1Char('\n'))));
        for (QWidget *w : p.frame->Barra()->findChildren<QAbstractButton *>())
            QVERIFY2(Taglio(area, w).isEmpty(), qPrintable(Taglio(area, w)));
    }

    // A scrolled view stays where the user put it while the bar refreshes.
    void loScorrimentoResta()
    {
        // Connected: without an ECU the pages take no focus (they are disabled).
        ProgrammaProva p;
        QCOMPARE(p.AvviaEcu(), QString());
        QVERIFY(p.AvviaProgramma());
        QVERIFY(p.AttendiStato(StatoApp::Connesso));
        p.frame->show();
        p.frame->resize(p.frame->minimumSize());
        QScrollBar *verticale = p.frame->Scorrimento()->verticalScrollBar();
        QTRY_VERIFY(verticale->maximum() > 0);
        verticale->setValue(verticale->maximum());
        const int scorso = verticale->value();
        // Several refreshes of the live bar and the wait window.
        int refreshes = 0;
        QObject::connect(p.frame->Timer2, &QTimer::timeout, [&refreshes] { ++refreshes; });
        QVERIFY(QTest::qWaitFor([&] { return refreshes >= 10; }, 20000));
        QCOMPARE(verticale->value(), scorso);

        // Paging on while a list of the page has the keyboard: the view stays.
        QScrollBar *orizzontale = p.frame->Scorrimento()->horizontalScrollBar();
        orizzontale->setValue(orizzontale->maximum());
        QApplication::setActiveWindow(p.frame.get());
        QVERIFY(QTest::qWaitForWindowActive(p.frame.get()));
        auto *lista = p.frame->FrmConfig()->findChild<QComboBox *>(QStringLiteral("CmbTipoSensTemp"));
        QVERIFY(lista);
        lista->setFocus();
        QTRY_VERIFY2(lista->hasFocus(), qPrintable(QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                                          : QStringLiteral("no focus")));
        const int v = verticale->value(), h = orizzontale->value();
        QTest::keyClick(p.frame.get(), Qt::Key_F2);
        QVERIFY(p.frame->FrmConfig_2()->isVisible());
        QCOMPARE(verticale->value(), v);
        QCOMPARE(orizzontale->value(), h);
    }

    // The autotuning window leaves with the page: it is never drawn over
    // another one, and Esc, the close box and Close shut it between runs.
    void autotuningNonRestaSopra()
    {
        ProgrammaProva p;
        QVERIFY(p.AvviaOffline());
        p.frame->show();
        gascal::FrmAutotuning *w = p.frame->Autotuning();
        auto apri = [&] {
            while (p.ctx.stato.PaginaCorrente != MDIFrm::PagRetta)
                p.frame->CmdPage_Click();
            p.frame->MostraAutotuning();
            QVERIFY(w->isVisible());
        };
        apri();
        QVERIFY(w->CmdChiudi->isEnabled() && w->CmdChiudiX->isEnabled());
        QTest::keyClick(p.frame.get(), Qt::Key_F2);
        QVERIFY(!w->isVisible());
        QCOMPARE(p.ctx.stato.PaginaCorrente, int(MDIFrm::PagConfig));
        QVERIFY(p.frame->FrmConfig()->isVisible());

        apri();
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(!w->isVisible());
        QVERIFY(p.frame->FrmRetta()->isVisible());
        apri();
        w->CmdChiudiX->click();
        QVERIFY(!w->isVisible());
        apri();
        w->CmdChiudi->click();
        QVERIFY(!w->isVisible());
        QVERIFY(p.frame->FrmRetta()->isVisible());

        // While a run is going nothing closes it and the page stays.
        apri();
        p.ctx.stato.AutotuningRichiesto = 1;
        QVERIFY(!w->Chiudi());
        p.frame->CmdPage_Click();
        QVERIFY(w->isVisible());
        QCOMPARE(p.ctx.stato.PaginaCorrente, int(MDIFrm::PagRetta));
        p.ctx.stato.AutotuningRichiesto = 0;
    }
};

GASCAL_PROVA(TstRaggiungibilita)
#include "tst_raggiungibilita.moc"
