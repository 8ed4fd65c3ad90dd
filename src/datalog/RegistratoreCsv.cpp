#include "RegistratoreCsv.h"
#include "i18n/TraduttoreDizionario.h"

#include <QDir>
#include <QFileInfo>

namespace gascal {

bool RegistratoreCsv::Apri(const QString &percorso, const QString &intestazione)
{
    Chiudi();
    m_errore.clear();
    QDir().mkpath(QFileInfo(percorso).absolutePath());
    m_file.setFileName(percorso);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_errore = TraduttoreDizionario::Tr("%1 cannot be written: %2").arg(percorso, m_file.errorString());
        return false;
    }
    return Scrivi(intestazione);
}

bool RegistratoreCsv::Scrivi(const QString &riga)
{
    if (!m_file.isOpen())
        return false;
    const QByteArray dati = riga.toUtf8() + "\r\n";
    if (m_file.write(dati) != dati.size() || !m_file.flush()) {
        m_errore = TraduttoreDizionario::Tr("%1: writing failed: %2").arg(m_file.fileName(), m_file.errorString());
        m_file.close();
        return false;
    }
    return true;
}

void RegistratoreCsv::Chiudi()
{
    if (m_file.isOpen())
        m_file.close();
}

} // namespace gascal
