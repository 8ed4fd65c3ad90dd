#pragma once

#include <QObject>

class QWidget;

namespace gascal {

// The mouse wheel over a setting (a page's list or level bar) changes it
// only while the control has the keyboard focus, given by a click or Tab.
// Otherwise the wheel goes on to what lies under it, so that scrolling the
// page scrolls the page and never writes the ECU.
class FiltroRotella : public QObject
{
public:
    // Fits the control with its own filter; the wheel no longer gives it the
    // focus either.
    static void Applica(QWidget *controllo);

protected:
    bool eventFilter(QObject *oggetto, QEvent *evento) override;

private:
    using QObject::QObject;
};

} // namespace gascal
