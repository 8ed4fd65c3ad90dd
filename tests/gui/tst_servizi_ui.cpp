// The real message box and file filters, and the status line's long device path.
#include "RegistroProve.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "ui/common/QtServiziUi.h"
#include "ui/main/BarraStato.h"
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace gascal;
using namespace Qt::StringLiterals;
using R = ServiziUi::Risposta;

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
    // The box stands over the window in use and hands it back; a window that closes takes its box along.
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
        QCOMPARE(ui.Messaggio(u"?"_s, u"t"_s, ServiziUi::Pulsanti::SiNo, ServiziUi::Icona::Domanda, R::No), R::Si);
        QCOMPARE(proprietario, &finestra);
        QTRY_COMPARE(QApplication::activeWindow(), &finestra);
        auto *breve = new QWidget;
        breve->show();
        breve->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(breve));
        AllaScatola([breve](QMessageBox *) { delete breve; });
        ui.Messaggio(u"!"_s, u"t"_s, ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Informazione, R::Ok);
        QVERIFY(!QApplication::activeModalWidget());
    }
    // Enter presses the default the caller named; file filters shown as written.
    void serviziDelleFinestre()
    {
        QtServiziUi ui;
        using P = ServiziUi::Pulsanti;
        const std::tuple<P, std::optional<R>, R> casi[] = {
            {P::SiNo, R::No, R::No}, {P::SiNo, R::Si, R::Si}, {P::SiNo, std::nullopt, R::No},
            {P::RiprovaAnnulla, std::nullopt, R::Riprova}, {P::RiprovaAnnulla, R::Annulla, R::Annulla}};
        for (const auto &[pulsanti, predefinito, attesa] : casi) {
            AllaScatola([](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Return); });
            const auto icona = ServiziUi::Icona::Domanda;
            QCOMPARE(predefinito ? ui.Messaggio(u"?"_s, u"t"_s, pulsanti, icona, *predefinito)
                                 : ui.Messaggio(u"?"_s, u"t"_s, pulsanti, icona), attesa);
        }
        QCOMPARE(QtServiziUi::FiltroQt(u"View Files  (*.var)|*.var|All Files  (*.*)|*.*"_s),
                 u"View Files  (*.var);;All Files  (*.*)"_s);
        QCOMPARE(QtServiziUi::FiltroQt(u"Samples|*.cmp;*.txt"_s), u"Samples (*.cmp *.txt)"_s);
    }
    // The status line shortens a long device path in the middle; whole in its tooltip and on a wide frame.
    void dispositivoLungo()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        ctx.stato.StatoProgramma = StatoApp::Connesso;
        RapportoPorta porta;
        porta.porta = 3;
        porta.dispositivo = u"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KZX7Q-if00-port0-attached-through-a-long-hub-chain"_s;
        ctx.diagnosi.Collegata(porta);
        QMainWindow frame;
        auto *barra = new BarraStato(ctx);
        frame.setStatusBar(barra);
        frame.resize(640, 300);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        barra->Aggiorna();
        const QString intero = barra->LblCollegamento->toolTip();
        QVERIFY(intero.contains(porta.dispositivo) && barra->LblCollegamento->text() != intero);
        QVERIFY(barra->LblCollegamento->sizeHint().width() <= barra->width() / 2 + 10);
        frame.resize(2400, 300);
        QTRY_COMPARE(barra->LblCollegamento->text(), intero);
        QVERIFY(barra->LblCollegamento->toolTip().isEmpty());
    }
};

GASCAL_PROVA(TstServiziUi)
#include "tst_servizi_ui.moc"
