#pragma once

#include <QByteArray>

// A profile with short waits and few samples, equal for both fuels, the built-in model.
inline QByteArray ProfiloBreve()
{
    static const char *const valori[][2] = {
        {"Temp taratura", "50"}, {"Rpm minimi", "500"}, {"Attesa minimo ms", "300"}, {"Num Campioni minimo", "5"},
        {"Freq Campioni minimo ms", "40"}, {"Attiva tutti i Cil", "1"}, {"Rpm Massimo", "2500"},
        {"Attesa massimo ms", "600"}, {"Num Campioni massimo", "5"}, {"Freq Campioni massimo ms", "40"},
        {"Prima attesa ms", "300"}, {"Attesa corr inj ms", "400"}, {"Num Campioni corr inj", "5"},
        {"Freq Campioni corr inj ms", "40"}, {"Cicli in tolleranza inj", "2"}, {"Max cicli non in tolleranza inj", "15"},
        {"Tolleranza in correzione inj %", "3"}, {"Step di Correzione inj %", "70"}, {"Massima correzione inj us", "320"},
        {"Rpm ritorno minimo", "1100"}, {"Attesa ritorno minimo ms", "400"}, {"Attesa corr minimo ms", "400"},
        {"Num Campioni corr minimo", "5"}, {"Freq Campioni corr minimo ms", "40"}, {"Cicli in tolleranza minimo", "2"},
        {"Max cicli non in tolleranza minimo", "15"}, {"Tolleranza in correzine minimo %", "3"},
        {"Step di Correzione minimo %", "70"}, {"Massima correzione minimo us", "320"}};
    QByteArray testo;
    for (const auto &[chiave, valore] : valori)
        testo += QByteArray(chiave) + '=' + valore + '=' + valore + "\r\n";
    for (const char *carburante : {"GPL", "CNG"})
        testo += QByteArray("[Profili di taratura ") + carburante + "]\r\n;\r\n0|6|10|16|27|35|41|49|55\r\n;\r\n"
                 "0|360|600|960|1620|2100|2460|2940|3300\r\n;\r\n0|0|0|0|0|0|0|0|0\r\n";
    return testo;
}
