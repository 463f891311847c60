// Quits the process right after its first main window has been painted,
// when KESTRUNE_QUIT_AFTER_FIRST_PAINT=1; with KESTRUNE_FIRST_PAINT_FILE set,
// also writes the moment of that paint (CLOCK_REALTIME, nanoseconds) there.
// Linked into the start-up probes only: it hooks into QCoreApplication's
// construction, so the program's own start-up runs unchanged.
#include <QCoreApplication>
#include <QFile>
#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <QWidget>

#include <ctime>

namespace {

class QuitAfterFirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!m_done && event->type() == QEvent::Paint) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && widget->isWindow()) {
                m_done = true;
                // Queued, so that this paint finishes first.
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [] {
                        RecordMoment();
                        QCoreApplication::quit();
                    },
                    Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    static void RecordMoment()
    {
        const QString path = qEnvironmentVariable("KESTRUNE_FIRST_PAINT_FILE");
        if (path.isEmpty())
            return;
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(QByteArray::number(qint64(now.tv_sec) * 1000000000 + now.tv_nsec));
    }

    bool m_done = false;
};

void InstallProbe()
{
    if (qEnvironmentVariable("KESTRUNE_QUIT_AFTER_FIRST_PAINT") != QLatin1String("1"))
        return;
    QCoreApplication::instance()->installEventFilter(new QuitAfterFirstPaint);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallProbe)
