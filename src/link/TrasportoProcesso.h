#pragma once

#include "link/Trasporto.h"

#include <QProcess>

namespace gascal {

// PrjCom as a child process, its standard input and output on two pipes and
// its standard error the program's own.
class TrasportoProcesso : public Trasporto
{
public:
    TrasportoProcesso();
    ~TrasportoProcesso() override;

    bool Avvia(const QString &programma, const QStringList &argomenti) override;
    bool Attivo() const override { return m_processo.state() == QProcess::Running; }
    qint64 IdProcesso() const override { return m_processo.processId(); }
    bool Scrivi(const QByteArray &frame) override;
    qint64 Disponibili() const override { return m_processo.bytesAvailable(); }
    QByteArray Leggi() override { return m_processo.readAllStandardOutput(); }
    void ChiudiIngresso(int ms) override;
    void Termina() override;

private:
    QProcess m_processo;
};

} // namespace gascal
