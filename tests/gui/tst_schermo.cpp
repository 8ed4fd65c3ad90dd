// The frame on a small screen: it starts within the screen's available
// geometry, and at its minimum size every control of the live bar and of the
// wait window can still be scrolled into view and used.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "ui/common/Twips.h"
#include "ui/main/FrmBar.h"
#include "ui/common/PaginaEditor.h"
#include "ui/main/FrmWait.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>

using gascal::StatoApp;

class TstSchermo : public QObject
{
    Q_OBJECT
private slots:
    void entraNelloSchermo()
    {
        ProgrammaProva p;
        QVERIFY(p.AvviaOffline());
        const QRect disponibile = p.frame->screen()->availableGeometry();
        // The designed size is larger than the test screen: the frame shrank.
        QTRY_VERIFY2(disponibile.contains(p.frame->frameGeometry()),
                 qPrintable(QStringLiteral("%1x%2 in %3x%4")
                                .arg(p.frame->frameGeometry().width()).arg(p.frame->frameGeometry().height())
                                .arg(disponibile.width()).arg(disponibile.height())));
    }

    // At the frame's designed size (on a screen that holds it) every control
    // of the three pages lies inside the room right of the datalog buttons and
    // the live bar: none is cut off at the right.
    void allaMisuraDisegnataLePagineEntrano()
    {
        ProgrammaProva p;
        QVERIFY(p.AvviaOffline());
        // The frame's start size before it is fitted to the (small) test screen.
        const int larghezza = gascal::MDIFrm(p.ctx).width();
        const auto *datalog = p.frame->findChild<QToolBar *>(QStringLiteral("BarraDatalog"));
        QVERIFY(datalog);
        const int spazio = larghezza - datalog->width() - p.frame->Barra()->width();
        for (gascal::PaginaEditor *pagina : {p.frame->FrmConfig(), p.frame->FrmConfig_2(),
                                             p.frame->FrmRetta()}) {
            for (const QWidget *w : pagina->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                QVERIFY2(w->geometry().right() < spazio,
                         qPrintable(QStringLiteral("%1 %2 ends at %3 of %4 px")
                                        .arg(pagina->objectName(), w->objectName())
                                        .arg(w->geometry().right())
                                        .arg(spazio)));
        }
    }

    void allaMisuraMinimaTuttoRaggiungibile()
    {
        ProgrammaProva p;
        QVERIFY(p.AvviaOffline());
        p.frame->resize(p.frame->minimumSize());
        QTRY_COMPARE(p.frame->size(), p.frame->minimumSize());
        QScrollArea *area = p.frame->Scorrimento();
        QVERIFY(area->verticalScrollBar()->maximum() > 0);

        QList<QWidget *> controlli;
        for (QAbstractButton *b : p.frame->Barra()->findChildren<QAbstractButton *>())
            controlli << b;
        gascal::FrmWait *attesa = p.frame->Attesa();
        controlli << attesa->CmdGo << attesa->LblStato << attesa->LblDiagnosi
                  << p.frame->Barra()->LblRpmVal;
        for (QWidget *w : controlli) {
            if (w->isHidden())
                continue;
            area->ensureWidgetVisible(w, 0, 0);
            const QRect nellaVista(w->mapTo(area->viewport(), QPoint(0, 0)), w->size());
            QVERIFY2(area->viewport()->rect().contains(nellaVista), qPrintable(w->objectName()));
        }
        // The go button still works from there.
        attesa->CmdGo->click();
        QCOMPARE(p.ctx.stato.ErroreComunicazione, quint8(1));
        attesa->CmdStop->click(); // the search that follows ends at once
        QVERIFY(p.AttendiStato(StatoApp::Offline, 15000));
    }

    void grandeAbbastanzaNienteScorrimento()
    {
        ProgrammaProva p;
        QVERIFY(p.AvviaOffline());
        // The pages fill the rest of a frame at least as large as the layout.
        const QSize minimo = p.frame->AreaClient()->minimumSize();
        // The frame's own bars (the datalog tool bar) come on top of the client area.
        const QSize barre = p.frame->size() - p.frame->Scorrimento()->size();
        p.frame->resize(minimo + QSize(40, 40) + barre);
        QTRY_VERIFY(p.frame->AreaClient()->width() >= minimo.width() + 40);
        QCOMPARE(p.frame->Scorrimento()->verticalScrollBar()->maximum(), 0);
        const QRect pagina = p.frame->FrmConfig()->geometry();
        QCOMPARE(pagina.left(), p.frame->Barra()->width());
        QCOMPARE(pagina.right(), p.frame->AreaClient()->width() - 1);
        QCOMPARE(p.frame->Attesa()->y(), p.frame->Barra()->height());
    }
};

GASCAL_PROVA(TstSchermo)
#include "tst_schermo.moc"
