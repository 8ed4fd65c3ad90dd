#pragma once

#include "ui/common/PaginaEditor.h"

class QLabel;

namespace gascal {

class Contesto;

// An editor page that is still to come: a title taken from the first text of
// its dictionary section, nothing else. It counts the frame's calls so that
// the page cycle can be checked.
class PaginaSegnaposto : public PaginaEditor
{
public:
    PaginaSegnaposto(Contesto &ctx, const QString &sezione, const QString &titoloProgetto,
                     QWidget *parent = nullptr);

    void AggiornaSelezioni() override { ++Aggiornamenti; }
    void CaricaLingua() override;
    void PlottaRetta(bool) override { ++Tracciamenti; }

    QLabel *LblTitolo;
    int Aggiornamenti = 0;
    int Tracciamenti = 0;

protected:
    void resizeEvent(QResizeEvent *evento) override;

private:
    Contesto &m_ctx;
    QString m_sezione;
};

} // namespace gascal
