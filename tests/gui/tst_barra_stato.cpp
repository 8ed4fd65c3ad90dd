// The status line shortens a long device path in the middle; whole in its tooltip and on a wide frame.
#include "RegistroProve.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "ui/main/BarraStato.h"
#include <QLabel>
#include <QMainWindow>
#include <QTest>

using namespace gascal;

class TstBarraStato : public QObject
{
    Q_OBJECT
private slots:
    void dispositivoLungo()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        ctx.stato.StatoProgramma = StatoApp::Connesso;
        ctx.stato.ErroreComunicazione = 0;
        RapportoPorta porta;
        porta.porta = 3;
        porta.dispositivo = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KZX7Q-if00-port0-"
                                           "attached-through-a-long-hub-chain");
        ctx.diagnosi.Collegata(porta);

        QMainWindow frame;
        auto *barra = new BarraStato(ctx);
        frame.setStatusBar(barra);
        frame.resize(640, 300);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        barra->Aggiorna();
        const QString intero = barra->LblCollegamento->toolTip();
        QVERIFY(intero.contains(porta.dispositivo));
        QVERIFY(barra->LblCollegamento->text() != intero);
        QVERIFY(barra->LblCollegamento->sizeHint().width() <= barra->width() / 2 + 10);

        frame.resize(2400, 300);
        QTRY_COMPARE(barra->LblCollegamento->text(), intero);
        QVERIFY(barra->LblCollegamento->toolTip().isEmpty());
    }
};

GASCAL_PROVA(TstBarraStato)
#include "tst_barra_stato.moc"
