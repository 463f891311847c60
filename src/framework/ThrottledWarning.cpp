#include "ThrottledWarning.h"

namespace {

constexpr int kQuietMs = 60 * 1000;

} // namespace

ThrottledWarning::ThrottledWarning(const char* once, const char* several) : m_once(once), m_several(several)
{
    m_quiet.setSingleShot(true);
    connect(&m_quiet, &QTimer::timeout, this, &ThrottledWarning::SayUnsaid);
}

void ThrottledWarning::Warn(const char* reason)
{
    ++m_unsaid;
    m_lastReason = reason;
    if (!m_quiet.isActive())
        SayUnsaid();
}

// Says what happened since the last warning, then keeps quiet for a minute.
void ThrottledWarning::SayUnsaid()
{
    if (m_unsaid == 0)
        return;
    if (m_unsaid == 1)
        qWarning(m_once, m_lastReason);
    else
        qWarning(m_several, m_unsaid, m_lastReason);
    m_unsaid = 0;
    m_quiet.start(kQuietMs);
}
