#include "app/application.h"

#include "editor/templates_window.h"
#include "color/window/painter_reduce_window.h"
#include "editor/tool_windows.h"

#include <QMessageBox>

#include <exception>
#include <iostream>

const char* const kApplicationTitle = "Zoetra 12";

ZoetraApplication::ZoetraApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // The title is the application's name; message boxes show it as their caption. (A
    // display name would be appended to every window caption on X11.)
    setApplicationName(kApplicationTitle);
    // The program ends when the main window closes, not when the last window does.
    setQuitOnLastWindowClosed(false);
}

bool ZoetraApplication::notify(QObject* receiver, QEvent* event)
{
    return dispatchGuarded([&] { return QApplication::notify(receiver, event); },
                           handler_ ? handler_ : ExceptionHandler(showExceptionMessage));
}

void ZoetraApplication::setExceptionHandler(ExceptionHandler handler) { handler_ = std::move(handler); }

bool ZoetraApplication::dispatchGuarded(const std::function<bool()>& dispatch, const ExceptionHandler& handler)
{
    QString message;
    try {
        return dispatch();
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        message = QStringLiteral("An unknown error occurred.");
    }
    try {
        handler(message);
    } catch (...) {
        std::cerr << "Zoetra: " << message.toStdString() << std::endl;
    }
    return false;
}

void ZoetraApplication::showExceptionMessage(const QString& message)
{
    // A message box runs its own event loop; an error inside it must not open another one.
    static bool showing = false;
    if (showing || !qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::cerr << "Zoetra: " << message.toStdString() << std::endl;
        return;
    }
    showing = true;
    struct Reset {
        ~Reset() { showing = false; }
    } reset;
    QMessageBox::critical(QApplication::activeWindow(), QCoreApplication::applicationName(), message);
}

ZoetraWindows::ZoetraWindows() = default;

ZoetraWindows::~ZoetraWindows()
{
    TemplatesF.reset();
    PainterReduceF.reset();
    gif2aviF.reset();
    avi2gifF.reset();
    DrawF.reset();
    PainterQBF.reset();
    PainterEffectsF.reset();
    GIFExplorerF.reset();
    ZoetraF.reset();
}

std::unique_ptr<ZoetraWindows> createZoetraWindows(const QString& settingsFile, TZoetraF::Hooks hooks)
{
    auto windows = std::make_unique<ZoetraWindows>();
    auto created = [&](QWidget* window) { windows->creationOrder.push_back(window->objectName()); };

    windows->ZoetraF = std::make_unique<TZoetraF>(settingsFile, std::move(hooks));
    created(windows->ZoetraF.get());
    windows->GIFExplorerF = std::make_unique<TGIFExplorerF>();
    created(windows->GIFExplorerF.get());
    windows->PainterEffectsF = std::make_unique<TPainterEffectsF>();
    created(windows->PainterEffectsF.get());
    windows->PainterQBF = std::make_unique<TPainterQBF>();
    created(windows->PainterQBF.get());
    windows->DrawF = std::make_unique<TDrawF>();
    created(windows->DrawF.get());
    windows->avi2gifF = std::make_unique<Tavi2gifF>();
    created(windows->avi2gifF.get());
    windows->gif2aviF = std::make_unique<Tgif2aviF>();
    created(windows->gif2aviF.get());
    windows->PainterReduceF = std::make_unique<TPainterReduceF>();
    created(windows->PainterReduceF.get());
    windows->TemplatesF = std::make_unique<TTemplatesF>();
    created(windows->TemplatesF.get());

    windows->ZoetraF->setToolWindows(windows->GIFExplorerF.get(), windows->avi2gifF.get(), windows->gif2aviF.get());
    windows->ZoetraF->setReduceWindow(windows->PainterReduceF.get());
    return windows;
}

int runZoetra(int argc, char** argv)
{
    ZoetraApplication app(argc, argv);
    std::unique_ptr<ZoetraWindows> windows;
    try {
        windows = createZoetraWindows();
    } catch (const std::exception& e) {
        ZoetraApplication::showExceptionMessage(QString::fromUtf8(e.what()));
        return 1;
    }
    QObject::connect(windows->ZoetraF.get(), &TZoetraF::closed, &app, &QCoreApplication::quit);
    windows->ZoetraF->show();
    const int result = app.exec();
    windows.reset();
    return result;
}
