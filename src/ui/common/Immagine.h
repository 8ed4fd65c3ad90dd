#pragma once

#include <QWidget>

class QPainter;

namespace gascal {

// A picture control with its artwork drawn in code: the fuel pump, the gas
// tank, the ignition key, the solenoid valve, the pressure gauge, the
// thermometer and the program's logo. "Acceso" draws the picture in its
// active colours, otherwise in greys.
class Immagine : public QWidget
{
    Q_OBJECT
public:
    enum class Tipo { Benzina, Gas, Chiave, Elettrovalvola, Pressione, Termometro, Logo };

    Immagine(Tipo tipo, bool acceso, QWidget *parent = nullptr);

    // Drawn raised (the logo while the mouse is down).
    void ImpostaRialzata(bool rialzata);
    bool Rialzata() const { return m_rialzata; }

    // The design's free value (last shown state of the key and valve pairs).
    int Tag = -1;

    static void Disegna(QPainter &p, const QRectF &r, Tipo tipo, bool acceso);

signals:
    void premuta(Qt::KeyboardModifiers modificatori);
    void rilasciata(Qt::KeyboardModifiers modificatori);

protected:
    void paintEvent(QPaintEvent *evento) override;
    void mousePressEvent(QMouseEvent *evento) override;
    void mouseReleaseEvent(QMouseEvent *evento) override;

private:
    Tipo m_tipo;
    bool m_acceso;
    bool m_rialzata = false;
};

} // namespace gascal
