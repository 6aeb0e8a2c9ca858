#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName("Zoetra 12");
    QMainWindow w;
    w.setWindowTitle("Vels Zoetra 12");
    w.show();
    return app.exec();
}
