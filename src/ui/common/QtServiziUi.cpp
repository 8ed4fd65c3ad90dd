#include "ui/common/QtServiziUi.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

namespace gascal {

namespace {

// The window the user works in (the interpolation window, a chart), else the
// frame: a box or a file dialog stands over it, and it is in front again once
// the box is gone, so that it does not drop behind the frame and look closed.
class DavantiDopo
{
public:
    explicit DavantiDopo(QWidget *frame)
        : m_finestra(QApplication::activeWindow() ? QApplication::activeWindow() : frame)
    {
    }
    ~DavantiDopo()
    {
        if (m_finestra && m_finestra->isVisible()) {
            m_finestra->raise();
            m_finestra->activateWindow();
        }
    }
    QWidget *Proprietario() const { return m_finestra; }

private:
    QPointer<QWidget> m_finestra;
};

} // namespace

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
    const DavantiDopo davanti(m_genitore);
    // On the heap: a window that closes while the box is up takes its
    // children with it.
    const QPointer<QMessageBox> box = new QMessageBox(davanti.Proprietario());
    box->setWindowTitle(titolo);
    QString mostrato = testo;
    box->setText(mostrato.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    switch (icona) {
    case Icona::Nessuna: box->setIcon(QMessageBox::NoIcon); break;
    case Icona::Critica: box->setIcon(QMessageBox::Critical); break;
    case Icona::Esclamazione: box->setIcon(QMessageBox::Warning); break;
    case Icona::Domanda: box->setIcon(QMessageBox::Question); break;
    case Icona::Informazione: box->setIcon(QMessageBox::Information); break;
    }
    switch (pulsanti) {
    case Pulsanti::Ok: box->setStandardButtons(QMessageBox::Ok); break;
    case Pulsanti::SiNo: box->setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Pulsanti::RiprovaAnnulla:
        box->setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    }
    box->setDefaultButton(PulsanteQt(predefinito));
    // The normal pointer while the box is up.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int scelta = box->exec();
    QApplication::restoreOverrideCursor();
    delete box;
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
    const DavantiDopo davanti(m_genitore);
    return QFileDialog::getOpenFileName(davanti.Proprietario(), QString(), cartella, FiltroQt(filtro));
}

QString QtServiziUi::SalvaFile(const QString &filtro, const QString &cartella)
{
    // The overwrite question is the program's own.
    const DavantiDopo davanti(m_genitore);
    return QFileDialog::getSaveFileName(davanti.Proprietario(), QString(), cartella, FiltroQt(filtro), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void QtServiziUi::Beep()
{
    QApplication::beep();
}

} // namespace gascal
