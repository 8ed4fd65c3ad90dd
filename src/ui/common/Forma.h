#pragma once

#include <QColor>
#include <QWidget>

namespace gascal {

// A shape control: a rectangle or a circle with a fill and a border. A
// transparent shape shows its border only. Every setter redraws only when the
// value really changes, so a steady display causes no painting.
class Forma : public QWidget
{
    Q_OBJECT
public:
    enum class Tipo { Rettangolo, Cerchio };

    explicit Forma(Tipo tipo, QWidget *parent = nullptr);

    bool Opaca() const { return m_opaca; }
    void ImpostaOpaca(bool opaca);
    QColor ColoreRiempimento() const { return m_riempimento; }
    void ImpostaColoreRiempimento(const QColor &colore);
    QColor ColoreBordo() const { return m_bordo; }
    void ImpostaColoreBordo(const QColor &colore);

    // The design's free value kept with the control (thresholds, widths).
    int Tag = 0;

protected:
    void paintEvent(QPaintEvent *evento) override;

private:
    Tipo m_tipo;
    bool m_opaca = true;
    QColor m_riempimento = Qt::black;
    QColor m_bordo = Qt::black;
};

} // namespace gascal
