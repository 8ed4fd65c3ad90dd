// The real message box stands over the window in use, hands it back, and goes with a window that closes.
#include "RegistroProve.h"
#include "ui/common/QtServiziUi.h"
#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace gascal;

class TstServiziUi : public QObject
{
    Q_OBJECT

    // Runs `azione` on the box as soon as it is up.
    static void AllaScatola(std::function<void(QMessageBox *)> azione)
    {
        auto *sorveglia = new QTimer;
        QObject::connect(sorveglia, &QTimer::timeout, [sorveglia, azione] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                sorveglia->deleteLater();
                sorveglia->stop();
                azione(box);
            }
        });
        sorveglia->start(10);
    }

private slots:
    void laFinestraDiLavoroRestaDavanti()
    {
        QMainWindow frame;
        frame.show();
        QWidget finestra; // a window of its own, as the interpolation window is
        finestra.show();
        finestra.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&finestra));
        QtServiziUi ui(&frame);

        QWidget *proprietario = nullptr;
        AllaScatola([&](QMessageBox *box) {
            proprietario = box->parentWidget();
            box->button(QMessageBox::Yes)->click();
        });
        QCOMPARE(ui.Messaggio(QStringLiteral("?"), QStringLiteral("t"), ServiziUi::Pulsanti::SiNo,
                              ServiziUi::Icona::Domanda, ServiziUi::Risposta::No),
                 ServiziUi::Risposta::Si);
        QCOMPARE(proprietario, &finestra);
        QTRY_COMPARE(QApplication::activeWindow(), &finestra);

        // The window goes while its box is up: the box goes with it.
        auto *breve = new QWidget;
        breve->show();
        breve->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(breve));
        AllaScatola([breve](QMessageBox *) { delete breve; });
        ui.Messaggio(QStringLiteral("!"), QStringLiteral("t"), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Informazione,
                     ServiziUi::Risposta::Ok);
        QVERIFY(!QApplication::activeModalWidget());
    }
};

GASCAL_PROVA(TstServiziUi)
#include "tst_servizi_ui.moc"
