#pragma once

#include <QLabel>
#include <QMainWindow>

namespace gascal {

class Contesto;

// The program's frame window.
class MDIFrm : public QMainWindow
{
    Q_OBJECT
public:
    explicit MDIFrm(Contesto &ctx, QWidget *parent = nullptr);

    void MDIForm_Load();

protected:
    void closeEvent(QCloseEvent *evento) override;

private:
    Contesto &m_ctx;
    QLabel *m_stato;
};

} // namespace gascal
