#include "FaultInjector.h"

FaultInjector::FaultInjector(int dropEvery, int corruptEvery)
    : m_dropEvery(dropEvery)
    , m_corruptEvery(corruptEvery)
{
}

bool FaultInjector::dropRequest()
{
    ++m_requests;
    return m_dropEvery > 0 && m_requests % m_dropEvery == 0;
}

QByteArray FaultInjector::passAnswer(QByteArray answer)
{
    ++m_answers;
    if (m_corruptEvery > 0 && m_answers % m_corruptEvery == 0 && !answer.isEmpty())
        answer.back() = static_cast<char>(static_cast<quint8>(answer.back()) ^ 0xFF);
    return answer;
}

bool FaultInjector::powerCut(quint8 service)
{
    return service == m_cutService && --m_cutCount == 0;
}
