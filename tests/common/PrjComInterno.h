#pragma once
#include "link/Trasporto.h"
#include "EcuAnswer.h"
#include "EcuLine.h"
#include "LineSettings.h"
#include "PortReport.h"
#include "Reply.h"
#include <QList>
#include <functional>

class EcuInterna;
class OrologioPasso;

// PrjCom in this process, answering as its dispatcher with the in-process ECU, on the stepped clock.
class PrjComInterno : public gascal::Trasporto
{
public:
    PrjComInterno(OrologioPasso &orologio, EcuInterna &ecu);
    ~PrjComInterno() override { Uccidi(); }

    // The port number where the ECU is, and the device its report names.
    int PortaEcu = 0;
    QString Dispositivo = QStringLiteral("ttyECU");
    // A round trip of a frame with an answering ECU.
    double Viaggio_us = 2000;
    // A test's fault: may change each reply frame; an empty one is no reply.
    std::function<QByteArray(quint8 comando, const QByteArray &frame)> Guasto;

    // How many frames were answered, and how many times it was started.
    int Risposte() const { return m_risposte; }
    int Avvii() const { return m_avvii; }
    // Ends as a killed PrjCom would: no reply to what is under way.
    void Uccidi();

    bool Avvia(const QString &programma, const QStringList &argomenti) override;
    bool Attivo() const override { return m_attivo; }
    qint64 IdProcesso() const override { return m_attivo ? 100000 + m_avvii : 0; }
    bool Scrivi(const QByteArray &frame) override;
    qint64 Disponibili() const override { return m_uscita.size(); }
    QByteArray Leggi() override { return std::exchange(m_uscita, QByteArray()); }
    void ChiudiIngresso(int) override { Uccidi(); } // PrjCom ends on end of input, answering nothing more
    void Termina() override { ChiudiIngresso(0); }

private:
    struct Esito {
        Reply risposta;
        double durata_us = 0;
    };
    void Prossima();
    Esito Gestisci(quint8 comando, const QByteArray &dati);
    Esito Porta(const QByteArray &dati);
    Esito Messaggio(const QByteArray &dati);
    // One message on the line, as EcuLine::exchange takes it; adds its time.
    EcuAnswer Scambio(const QByteArray &messaggio, EcuLine::Shape forma, int attesaMs, double &durata_us);
    int AttesaPrimoByteMs() const;
    quint8 PortaAperta() const { return m_apertaPorta ? quint8(m_porta) : quint8(255); }
    void Azzera();

    OrologioPasso &m_orologio;
    EcuInterna &m_ecu;
    bool m_attivo = false;
    int m_avvii = 0;
    int m_risposte = 0;
    QByteArray m_uscita;
    QList<QByteArray> m_coda;     // requests not handled yet
    quint64 m_inCorso = 0;        // the reply on its way
    bool m_esce = false;          // command 1 answered: it ends with the reply

    // PrjCom's state between commands.
    bool m_apertaPorta = false;
    int m_porta = 255;
    quint8 m_modo = 0;
    int m_attesaEcuMs = 200;
    LineSettings m_linea;
    PortReport m_ultimaPorta;
};
