// The frame on the screen and scale the test runs with: it fits, and every control can be reached.
#include "RegistroProve.h"
#include "ProgrammaProva.h"
#include "ProgrammaVirtuale.h"
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>

using gascal::MDIFrm;
using gascal::StatoApp;

namespace {
bool Controllo(const QWidget *w)
{
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QComboBox *>(w)
        || qobject_cast<const QLineEdit *>(w) || qobject_cast<const QAbstractItemView *>(w)
        || (qobject_cast<const QAbstractSlider *>(w) && !qobject_cast<const QScrollBar *>(w));
}

// Empty when `w` can be scrolled whole into view (whole in every parent, not larger); else where it is cut.
QString Taglio(QScrollArea *area, QWidget *w)
{
    QWidget *client = area->widget();
    const QRect nellArea(w->mapTo(client, QPoint(0, 0)), w->size());
    const auto dove = [](const QRect &r, const QSize &in) {
        return QStringLiteral("%1,%2 %3x%4 in %5x%6").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())
            .arg(in.width()).arg(in.height());
    };
    if (!client->rect().contains(nellArea) || w->width() > area->viewport()->width()
        || w->height() > area->viewport()->height())
        return QStringLiteral("%1 outside the area (%2, view %3x%4)").arg(w->objectName(), dove(nellArea, client->size()))
            .arg(area->viewport()->width()).arg(area->viewport()->height());
    for (QWidget *g = w->parentWidget(); g && g != client; g = g->parentWidget())
        if (const QRect inG(w->mapTo(g, QPoint(0, 0)), w->size()); !g->rect().contains(inG))
            return QStringLiteral("%1 cut by %2 (%3)").arg(w->objectName(), g->objectName(), dove(inG, g->size()));
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
        // A designed size larger than the screen shrinks to it.
        QTRY_VERIFY2(disponibile.contains(p.frame->frameGeometry()),
                     qPrintable(QStringLiteral("%1x%2 in %3x%4").arg(p.frame->frameGeometry().width())
                                    .arg(p.frame->frameGeometry().height()).arg(disponibile.width()).arg(disponibile.height())));
        // At the designed size every control lies right of the datalog buttons and the bar, none cut.
        const auto *datalog = p.frame->findChild<QToolBar *>(QStringLiteral("BarraDatalog"));
        QVERIFY(datalog);
        const int spazio = MDIFrm(p.ctx).width() - datalog->width() - p.frame->Barra()->width();
        const auto pagine = {p.frame->FrmConfig(), p.frame->FrmConfig_2(), p.frame->FrmRetta()};
        for (gascal::PaginaEditor *pagina : pagine)
            for (const QWidget *w : pagina->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                QVERIFY2(w->geometry().right() < spazio, qPrintable(QStringLiteral("%1 %2 ends at %3 of %4 px")
                         .arg(pagina->objectName(), w->objectName()).arg(w->geometry().right()).arg(spazio)));
        // The frame as the installer leaves it: filling the screen.
        p.frame->setGeometry(disponibile);
        QTRY_VERIFY(disponibile.contains(p.frame->frameGeometry()));
        QScrollArea *area = p.frame->Scorrimento();
        QStringList tagli;
        for (int giro = 0; giro < 3; ++giro) {
            for (gascal::PaginaEditor *pg : pagine)
                for (QWidget *w : pg->findChildren<QWidget *>())
                    if (pg->isVisible() && Controllo(w) && w->isVisibleTo(pg) && !Parte(w, pg))
                        if (const QString t = Taglio(area, w); !t.isEmpty())
                            tagli << pg->objectName() + QLatin1Char(' ') + t;
            p.frame->CmdPage_Click();
        }
        QVERIFY2(tagli.isEmpty(), qPrintable(tagli.join(QLatin1Char('\n'))));
        for (QWidget *w : p.frame->Barra()->findChildren<QAbstractButton *>())
            QVERIFY2(Taglio(area, w).isEmpty(), qPrintable(Taglio(area, w)));
        // Large enough: the pages fill the rest, and nothing scrolls.
        const QSize minimo = p.frame->AreaClient()->minimumSize();
        p.frame->resize(minimo + QSize(40, 40) + p.frame->size() - area->size());
        QTRY_VERIFY(p.frame->AreaClient()->width() >= minimo.width() + 40);
        QCOMPARE((QList<int>{area->verticalScrollBar()->maximum(), p.frame->FrmConfig()->geometry().left(),
                             p.frame->FrmConfig()->geometry().right(), p.frame->Attesa()->y()}),
                 (QList<int>{0, p.frame->Barra()->width(), p.frame->AreaClient()->width() - 1, p.frame->Barra()->height()}));
        // At the minimum size the bar and the wait window scroll into view.
        p.frame->resize(p.frame->minimumSize());
        QTRY_COMPARE(p.frame->size(), p.frame->minimumSize());
        QVERIFY(area->verticalScrollBar()->maximum() > 0);
        gascal::FrmWait *attesa = p.frame->Attesa();
        QList<QWidget *> controlli{attesa->CmdGo, attesa->LblStato, attesa->LblDiagnosi, p.frame->Barra()->LblRpmVal};
        for (QAbstractButton *b : p.frame->Barra()->findChildren<QAbstractButton *>())
            controlli << b;
        for (QWidget *w : controlli) {
            if (w->isHidden())
                continue;
            area->ensureWidgetVisible(w, 0, 0);
            QVERIFY2(area->viewport()->rect().contains(QRect(w->mapTo(area->viewport(), QPoint(0, 0)), w->size())),
                     qPrintable(w->objectName()));
        }
    }
    // A scrolled view stays put through bar refreshes and a page turn with a focused list.
    void loScorrimentoResta()
    {
        // Connected: without an ECU the pages take no focus (they are disabled).
        ProgrammaVirtuale p;
        QVERIFY(p.Connetti());
        p.frame->show();
        p.frame->resize(p.frame->minimumSize());
        QScrollBar *verticale = p.frame->Scorrimento()->verticalScrollBar();
        QTRY_VERIFY(verticale->maximum() > 0);
        verticale->setValue(verticale->maximum());
        const int scorso = verticale->value();
        int refreshes = 0;
        QObject::connect(p.frame->Timer2, &QTimer::timeout, [&refreshes] { ++refreshes; });
        QVERIFY(QTest::qWaitFor([&] { return refreshes >= 3; }, 20000));
        QCOMPARE(verticale->value(), scorso);
        QScrollBar *orizzontale = p.frame->Scorrimento()->horizontalScrollBar();
        orizzontale->setValue(orizzontale->maximum());
        QApplication::setActiveWindow(p.frame.get());
        QVERIFY(QTest::qWaitForWindowActive(p.frame.get()));
        auto *lista = p.frame->FrmConfig()->findChild<QComboBox *>(QStringLiteral("CmbTipoSensTemp"));
        QVERIFY(lista);
        lista->setFocus();
        QTRY_VERIFY(lista->hasFocus());
        const int v = verticale->value(), h = orizzontale->value();
        QTest::keyClick(p.frame.get(), Qt::Key_F2);
        QVERIFY(p.frame->FrmConfig_2()->isVisible());
        QCOMPARE(verticale->value(), v);
        QCOMPARE(orizzontale->value(), h);
    }
};

GASCAL_PROVA(TstRaggiungibilita)
#include "tst_raggiungibilita.moc"
