// The yardstick for start-up: a bare Qt 6 window of the main window's size,
// shown and painted once (with KESTRUNE_QUIT_AFTER_FIRST_PAINT=1, through
// StartupProbe.cpp). With --text it shows one line of text, so that it loads
// the fonts as every window with a caption must.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Bare");
    window.resize(385, 488);
    if (app.arguments().contains("--text"))
        window.setCentralWidget(new QLabel("Drop File or Folder here"));
    window.show();
    return app.exec();
}
