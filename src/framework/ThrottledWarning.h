#pragma once

#include <QObject>
#include <QTimer>

// A warning about something that any process of the user can cause as often
// as it likes: logged the first time, then at most once a minute, as a count
// with the last reason, so that it cannot flood the log.
class ThrottledWarning : public QObject {
public:
    // once: the text for one occurrence, with its reason (%s); several: for
    // a count (%d) with the last reason (%s).
    ThrottledWarning(const char* once, const char* several);

    void Warn(const char* reason);

private:
    void SayUnsaid();

    const char* const m_once;
    const char* const m_several;
    int m_unsaid = 0;
    const char* m_lastReason = nullptr;
    QTimer m_quiet; // runs for a minute after a warning
};
