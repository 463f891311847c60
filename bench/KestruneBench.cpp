// Loading an item into the main window, and one paint of each bar and of the
// drop zone into an off-screen picture.
#include "app/App.h"
#include "app/FileTypes1.h"
#include "app/MainMenuBar.h"
#include "controls/qorActionBar.h"
#include "controls/qorStatusBar.h"
#include "framework/Application.h"
#include "framework/Canvas.h"
#include "framework/FolderItem.h"
#include "framework/Picture.h"
#include "window/MainWindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

std::shared_ptr<MainWindow> g_window;
std::string g_file;

void PrepareStartup()
{
    FileTypes1::_Initialize();
    auto app = std::make_shared<App>();
    app->Constructor();
    app->SetMenuBar(implicit::MainMenuBar());
    _RuntimeRegisterAppObject(app);
    // A benchmark must never wait on a message box.
    SetUnhandledExceptionPresenter([](const std::string& className, const std::string& message) {
        std::fprintf(stderr, "%s: %s\n", className.c_str(), message.c_str());
    });
}

void BM_LoadItem(benchmark::State& state)
{
    auto item = std::make_shared<FolderItem>(g_file);
    for (auto _ : state)
        g_window->run(item);
}
BENCHMARK(BM_LoadItem)->Unit(benchmark::kMicrosecond);

// Paints a canvas once per iteration into a picture of its size, the way the
// framework hands a paint to the control.
template <class Paint>
void PaintInto(benchmark::State& state, const RectControl& control, Paint paint)
{
    Picture picture(control.Width(), control.Height());
    const std::vector<Rect> areas{};
    for (auto _ : state) {
        paint(picture.GetGraphics(), areas);
        benchmark::DoNotOptimize(picture.Image().constBits());
    }
}

void BM_PaintActionBar(benchmark::State& state)
{
    qorActionBar& bar = g_window->qorActionBar1();
    PaintInto(state, bar, [&](Graphics& g, const std::vector<Rect>& areas) { bar.Event_Paint(g, areas); });
}
BENCHMARK(BM_PaintActionBar)->Unit(benchmark::kMicrosecond);

void BM_PaintStatusBar(benchmark::State& state)
{
    qorStatusBar& bar = g_window->qorStatusBar1();
    PaintInto(state, bar, [&](Graphics& g, const std::vector<Rect>& areas) { bar.Event_Paint(g, areas); });
}
BENCHMARK(BM_PaintStatusBar)->Unit(benchmark::kMicrosecond);

void BM_PaintDropZone(benchmark::State& state)
{
    Canvas& zone = g_window->cvDropFile();
    PaintInto(state, zone,
              [&](Graphics& g, const std::vector<Rect>& areas) { g_window->cvDropFile_Paint(zone, g, areas); });
}
BENCHMARK(BM_PaintDropZone)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window remembers its frame; keep that out of the user's settings.
    QStandardPaths::setTestModeEnabled(true);
    QApplication qtApp(argc, argv);
    benchmark::Initialize(&argc, argv);

    QTemporaryDir folder;
    g_file = QFile::encodeName(folder.filePath("item.txt")).toStdString();
    QFile file(QFile::decodeName(QByteArray::fromStdString(g_file)));
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(1536, 'k')) != 1536)
        return 1;
    file.close();

    PrepareStartup();
    g_window = implicit::MainWindow();
    benchmark::RunSpecifiedBenchmarks();
    g_window->Close();
    g_window.reset();
    // The framework releases a closed window from the event loop; let it do
    // so while the application is still whole.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    benchmark::Shutdown();
    return 0;
}
