#pragma once

#include "mapfile/ConfrontoMappe.h"
#include "mapfile/RigheConfronto.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace gascal {

class Contesto;

// Shown before a map file is written into the ECU: each setting the load
// changes, as the pages show it (under the page's name and group, by its
// caption, in its unit), in the ECU now and in the file. Write goes
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

    // The settings listed, one "CAPTION: IN THE ECU | IN THE FILE" each (the
    // heading rows of the pages left out).
    QStringList Righe() const;

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

    void Riempi(const RigheConfronto &testi, const QList<ConfrontoMappe::Differenza> &differenze);

    Contesto &m_ctx;
    QList<RigheConfronto::Riga> m_righe;
};

} // namespace gascal
