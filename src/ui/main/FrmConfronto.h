#pragma once

#include "mapfile/ConfrontoMappe.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace gascal {

class Contesto;

// Shown before a map file is written into the ECU: each setting the load
// changes, as the pages show it, in the ECU now and in the file. Write goes
// on with the load (which still backs the ECU up first); Cancel, Escape and
// the close box write nothing.
class FrmConfronto : public QDialog
{
    Q_OBJECT
public:
    FrmConfronto(Contesto &ctx, const QString &file, const QList<ConfrontoMappe::Differenza> &differenze,
                 QWidget *parent = nullptr);

    // Opens the window modally; true when the user chose to write.
    static bool Conferma(Contesto &ctx, const QString &file,
                         const QList<ConfrontoMappe::Differenza> &differenze, QWidget *proprietario);

    QLabel *LblDomanda;
    QLabel *LblFile;
    QTableWidget *TabDifferenze;
    QLabel *LblBackup;
    QPushButton *CmdScrivi;
    QPushButton *CmdAnnulla;

private:
    // A text of the window's dictionary section, or the English one when the
    // dictionary in use has no such section.
    QString Testo(int k, const char *inglese) const;

    Contesto &m_ctx;
};

} // namespace gascal
