#pragma once

#include "app/ServiziUi.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace gascal {

// Message boxes, file dialogs and the beep of the windows.
class QtServiziUi : public ServiziUi
{
public:
    explicit QtServiziUi(QWidget *genitore = nullptr) : m_genitore(genitore) {}
    void ImpostaGenitore(QWidget *genitore) { m_genitore = genitore; }

    using ServiziUi::Messaggio;
    Risposta Messaggio(const QString &testo, const QString &titolo, Pulsanti pulsanti, Icona icona,
                       Risposta predefinito) override;
    QString ApriFile(const QString &filtro, const QString &cartella) override;
    QString SalvaFile(const QString &filtro, const QString &cartella) override;
    void Beep() override;

    // "Name  (*.ext)|*.ext|All Files  (*.*)|*.*" as a Qt filter list.
    static QString FiltroQt(const QString &filtro);
    // The box's button for an answer.
    static QMessageBox::StandardButton PulsanteQt(Risposta risposta);

private:
    QPointer<QWidget> m_genitore;
};

} // namespace gascal
