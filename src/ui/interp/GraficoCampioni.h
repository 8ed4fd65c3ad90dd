#pragma once

#include "interp/Punto.h"
#include "interp/TabelleCampioni.h"

#include <QColor>
#include <QVector>
#include <QWidget>

namespace gascal {

// The interpolation window's plot: the grid, the samples of both fuels'
// mean tables and their two fitted curves, and the engine's working point.
// In twips from the origin 30 twips right of and below the top left corner,
// 200 units each way of max(15, (side - 90) / 200) twips: a point (X, Y) lies
// Y / 5 units right (row quantity) and X / 100 units down (petrol time, µs).
class GraficoCampioni : public QWidget
{
public:
    explicit GraficoCampioni(QWidget *parent = nullptr);

    struct Serie {
        Curva curva;
        TabelleCampioni::Tabella campioni{};
        QColor colore;
    };
    void ImpostaSerie(const Serie &benzina, const Serie &gas);
    // Grid values: row quantity across, petrol time (µs) down.
    void ImpostaGriglia(const QVector<qint32> &quote, const QVector<qint32> &tempi);
    // The engine's working point (-1: none).
    void ImpostaCursore(qint32 quota, qint32 tempo);

    static constexpr int OrigineTwips = 30;
    static constexpr int Unita = 200;
    static double UnitaTwips(int latoTwips);
    // Twips of a point (X, Y) inside a plot of the given size in twips.
    static QPointF PosizioneTwips(qint32 X, qint32 Y, QSizeF latoTwips);

protected:
    void paintEvent(QPaintEvent *evento) override;

private:
    QPointF Px(qint32 X, qint32 Y) const;
    void DisegnaGriglia(class QPainter &p) const;
    void DisegnaSerie(class QPainter &p, const Serie &serie) const;

    Serie m_benzina;
    Serie m_gas;
    QVector<qint32> m_quote;
    QVector<qint32> m_tempi;
    qint32 m_cursoreQuota = -1;
    qint32 m_cursoreTempo = -1;
};

} // namespace gascal
