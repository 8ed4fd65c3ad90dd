#pragma once

#include <QWidget>

class QTimer;

namespace gascal {

// The splash window: the program's logo for about two seconds. Its own
// 100 ms timer counts the tag down from 20 and closes the window once the
// count is below 0.
class FrmShow : public QWidget
{
    Q_OBJECT
public:
    explicit FrmShow(QWidget *owner = nullptr);

    int Tag = 20;
    QTimer *Timer1;

protected:
    void paintEvent(QPaintEvent *evento) override;

private:
    void Timer1_Timer();
};

} // namespace gascal
