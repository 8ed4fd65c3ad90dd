#pragma once

#include <QByteArray>

// Line faults for tests: every Nth request is ignored, every Nth answer
// leaves with a wrong checksum. N = 0 turns a fault off. Requests and
// answers are counted from the start of the run, probes included.
class FaultInjector
{
public:
    FaultInjector(int dropEvery, int corruptEvery);

    // Counts one request; true when this one is to be ignored.
    bool dropRequest();
    // Counts one answer; returns it, with its checksum spoiled when due.
    QByteArray passAnswer(QByteArray answer);

    // The power cut: the ECU ends at the Nth request of a service.
    void setPowerCut(int service, int count)
    {
        m_cutService = service;
        m_cutCount = count;
    }
    // Counts one request of the service; true when the power goes now.
    bool powerCut(quint8 service);

private:
    int m_cutService = -1;
    int m_cutCount = 1;
    int m_dropEvery;
    int m_corruptEvery;
    long m_requests = 0;
    long m_answers = 0;
};
