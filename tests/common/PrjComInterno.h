#pragma once
#include "link/Trasporto.h"
#include "CommandDispatcher.h"
#include "LineaInterna.h"
#include <QList>
#include <functional>
#include <memory>

class EcuInterna;
class OrologioPasso;

// PrjCom in this process: its own dispatcher, on a line to the in-process ECU, answering on the stepped clock.
class PrjComInterno : public gascal::Trasporto
{
public:
    // `cartella`: PrjCom's folder, whose PrjCom.ini maps port 0 to `dispositivo`, the ECU's line.
    PrjComInterno(OrologioPasso &orologio, EcuInterna &ecu, const QString &cartella, const QString &dispositivo);
    ~PrjComInterno() override { Uccidi(); }

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
    void Prossima();

    OrologioPasso &m_orologio;
    QString m_cartella;
    LineaInterna m_linea;
    std::unique_ptr<CommandDispatcher> m_prjcom; // a new one at each start, as a new process
    bool m_attivo = false;
    int m_avvii = 0;
    int m_risposte = 0;
    QByteArray m_uscita;
    QList<QByteArray> m_coda;     // requests not handled yet
    quint64 m_inCorso = 0;        // the reply on its way
};
