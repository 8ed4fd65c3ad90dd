#pragma once

#include <QByteArray>

// A tuning profile with short waits and few samples, for whole runs against
// the virtual ECU running ten times faster than the clock. Its model is the
// built-in one.
inline QByteArray ProfiloBreve()
{
    return QByteArray("Temp taratura=50=50\r\n"
                      "Rpm minimi=500=500\r\n"
                      "Attesa minimo ms=300=300\r\n"
                      "Num Campioni minimo=5=5\r\n"
                      "Freq Campioni minimo ms=40=40\r\n"
                      "Attiva tutti i Cil=1=1\r\n"
                      "Rpm Massimo=2500=2500\r\n"
                      "Attesa massimo ms=600=600\r\n"
                      "Num Campioni massimo=5=5\r\n"
                      "Freq Campioni massimo ms=40=40\r\n"
                      "Prima attesa ms=300=300\r\n"
                      "Attesa corr inj ms=400=400\r\n"
                      "Num Campioni corr inj=5=5\r\n"
                      "Freq Campioni corr inj ms=40=40\r\n"
                      "Cicli in tolleranza inj=2=2\r\n"
                      "Max cicli non in tolleranza inj=15=15\r\n"
                      "Tolleranza in correzione inj %=3=3\r\n"
                      "Step di Correzione inj %=70=70\r\n"
                      "Massima correzione inj us=320=320\r\n"
                      "Rpm ritorno minimo=1100=1100\r\n"
                      "Attesa ritorno minimo ms=400=400\r\n"
                      "Attesa corr minimo ms=400=400\r\n"
                      "Num Campioni corr minimo=5=5\r\n"
                      "Freq Campioni corr minimo ms=40=40\r\n"
                      "Cicli in tolleranza minimo=2=2\r\n"
                      "Max cicli non in tolleranza minimo=15=15\r\n"
                      "Tolleranza in correzine minimo %=3=3\r\n"
                      "Step di Correzione minimo %=70=70\r\n"
                      "Massima correzione minimo us=320=320\r\n"
                      "[Profili di taratura GPL]\r\n"
                      ";\r\n"
                      "0|6|10|16|27|35|41|49|55\r\n"
                      ";\r\n"
                      "0|360|600|960|1620|2100|2460|2940|3300\r\n"
                      ";\r\n"
                      "0|0|0|0|0|0|0|0|0\r\n"
                      "[Profili di taratura CNG]\r\n"
                      ";\r\n"
                      "0|6|10|16|27|35|41|49|55\r\n"
                      ";\r\n"
                      "0|360|600|960|1620|2100|2460|2940|3300\r\n"
                      ";\r\n"
                      "0|0|0|0|0|0|0|0|0\r\n");
}
