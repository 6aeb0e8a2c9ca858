// zoetra-screenshot FILE.png [SETTINGS.ini]: starts the program's windows, shows the main
// window, waits until it is painted and saves a picture of it. With SETTINGS the main window
// reads and writes that settings file instead of the program's own.

#include "app/application.h"

#include <QPixmap>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: zoetra-screenshot FILE.png [SETTINGS.ini]\n");
        return 2;
    }
    ZoetraApplication app(argc, argv);
    const QString output = QString::fromLocal8Bit(argv[1]);
    const QString settings = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    auto windows = createZoetraWindows(settings);
    windows->ZoetraF->show();
    int result = 0;
    QTimer::singleShot(1500, &app, [&] {
        if (!windows->ZoetraF->grab().save(output)) {
            std::fprintf(stderr, "error: cannot write %s\n", argv[1]);
            result = 1;
        }
        app.quit();
    });
    app.exec();
    windows.reset();
    return result;
}
