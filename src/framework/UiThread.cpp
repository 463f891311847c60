#include "UiThread.h"

#include "RuntimeException.h"

#include <QCoreApplication>
#include <QThread>

#include <thread>

namespace {
// Static initialisation runs on the thread that starts the process.
const std::thread::id g_processMainThread = std::this_thread::get_id();
}

bool IsMainThread()
{
    if (auto* app = QCoreApplication::instance())
        return QThread::currentThread() == app->thread();
    return std::this_thread::get_id() == g_processMainThread;
}

void RequireMainThread()
{
    if (!IsMainThread())
        throw ThreadAccessingUIException("A user-interface member was used outside the main thread.");
}
