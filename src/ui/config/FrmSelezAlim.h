#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace gascal {

class Contesto;

// The modal question "which fuel does the installation use": LPG or CNG. Its
// only result is FileDefinizioni: the program folder's definition file of the
// chosen fuel, or empty after cancel or the close box. It touches neither the
// ECU nor any file.
class FrmSelezAlim : public QDialog
{
    Q_OBJECT
public:
    FrmSelezAlim(Contesto &ctx, const QString &titolo, QWidget *parent = nullptr);

    // Opens the window modally (a fresh one each time) and returns the
    // chosen definition file, empty when nothing is to be done.
    static QString Scegli(Contesto &ctx, QWidget *proprietario);

    void CmdGpl_Click();
    void CmdCng_Click();
    void CmdAnnulla_Click();

    QPushButton *CmdGpl;
    QPushButton *CmdCng;
    QPushButton *CmdAnnulla;
    QLabel *LblQuestion;

private:
    void CaricaLingua();

    Contesto &m_ctx;
};

} // namespace gascal
