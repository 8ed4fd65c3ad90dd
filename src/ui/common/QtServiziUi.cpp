#include "ui/common/QtServiziUi.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace gascal {

QMessageBox::StandardButton QtServiziUi::PulsanteQt(Risposta risposta)
{
    switch (risposta) {
    case Risposta::Si: return QMessageBox::Yes;
    case Risposta::No: return QMessageBox::No;
    case Risposta::Riprova: return QMessageBox::Retry;
    case Risposta::Annulla: return QMessageBox::Cancel;
    case Risposta::Ok: break;
    }
    return QMessageBox::Ok;
}

ServiziUi::Risposta QtServiziUi::Messaggio(const QString &testo, const QString &titolo,
                                           Pulsanti pulsanti, Icona icona, Risposta predefinito)
{
    QMessageBox box(m_genitore);
    box.setWindowTitle(titolo);
    QString mostrato = testo;
    box.setText(mostrato.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    switch (icona) {
    case Icona::Nessuna: box.setIcon(QMessageBox::NoIcon); break;
    case Icona::Critica: box.setIcon(QMessageBox::Critical); break;
    case Icona::Esclamazione: box.setIcon(QMessageBox::Warning); break;
    case Icona::Domanda: box.setIcon(QMessageBox::Question); break;
    case Icona::Informazione: box.setIcon(QMessageBox::Information); break;
    }
    switch (pulsanti) {
    case Pulsanti::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Pulsanti::SiNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Pulsanti::RiprovaAnnulla:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    }
    box.setDefaultButton(PulsanteQt(predefinito));
    // The normal pointer while the box is up.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int scelta = box.exec();
    QApplication::restoreOverrideCursor();
    switch (scelta) {
    case QMessageBox::Yes: return Risposta::Si;
    case QMessageBox::No: return Risposta::No;
    case QMessageBox::Retry: return Risposta::Riprova;
    case QMessageBox::Cancel: return Risposta::Annulla;
    default: return Risposta::Ok;
    }
}

QString QtServiziUi::FiltroQt(const QString &filtro)
{
    // "Description|pattern|..." pairs. A description that already ends with
    // its patterns in brackets is shown as it is, blanks included.
    const QStringList parti = filtro.split(QLatin1Char('|'));
    QStringList voci;
    for (qsizetype i = 0; i + 1 < parti.size(); i += 2) {
        const QString &nome = parti.at(i);
        if (nome.trimmed().endsWith(QLatin1Char(')')) && nome.contains(QLatin1Char('(')))
            voci.append(nome);
        else
            voci.append(QStringLiteral("%1 (%2)").arg(nome, QString(parti.at(i + 1)).replace(QLatin1Char(';'), QLatin1Char(' '))));
    }
    return voci.join(QStringLiteral(";;"));
}

QString QtServiziUi::ApriFile(const QString &filtro, const QString &cartella)
{
    return QFileDialog::getOpenFileName(m_genitore, QString(), cartella, FiltroQt(filtro));
}

QString QtServiziUi::SalvaFile(const QString &filtro, const QString &cartella)
{
    // The overwrite question is the program's own.
    return QFileDialog::getSaveFileName(m_genitore, QString(), cartella, FiltroQt(filtro), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void QtServiziUi::Beep()
{
    QApplication::beep();
}

} // namespace gascal
