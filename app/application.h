#pragma once
// The application object and the program's windows.

#include <QApplication>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

#include "editor/main_window.h"

class TGIFExplorerF;
class TPainterEffectsF;
class TPainterQBF;
class TDrawF;
class Tavi2gifF;
class Tgif2aviF;
class TPainterReduceF;
class TTemplatesF;

// The application's title ("Zoetra 12").
extern const char* const kApplicationTitle;

// The application object. Exceptions that escape event handling are caught at the dispatch
// and shown (by default in a message box with the exception's text); the program carries on.
class ZoetraApplication : public QApplication {
    Q_OBJECT
public:
    using ExceptionHandler = std::function<void(const QString& message)>;

    ZoetraApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Replaces the handler (an empty one restores the message box).
    void setExceptionHandler(ExceptionHandler handler);

    // Runs dispatch; an exception thrown by it is passed to handler as text and false is
    // returned. This is the guard notify() puts round every event.
    static bool dispatchGuarded(const std::function<bool()>& dispatch, const ExceptionHandler& handler);

    // The default handler: a message box, or standard error while one is already shown.
    static void showExceptionMessage(const QString& message);

private:
    ExceptionHandler handler_;
};

// The program's windows, created in a fixed order and kept for the whole run. They are
// destroyed in reverse order of creation, so the main window goes last.
struct ZoetraWindows {
    std::unique_ptr<TZoetraF> ZoetraF;
    std::unique_ptr<TGIFExplorerF> GIFExplorerF;
    std::unique_ptr<TPainterEffectsF> PainterEffectsF;
    std::unique_ptr<TPainterQBF> PainterQBF;
    std::unique_ptr<TDrawF> DrawF;
    std::unique_ptr<Tavi2gifF> avi2gifF;
    std::unique_ptr<Tgif2aviF> gif2aviF;
    std::unique_ptr<TPainterReduceF> PainterReduceF;
    std::unique_ptr<TTemplatesF> TemplatesF;

    // Object names of the windows in the order they were created.
    std::vector<QString> creationOrder;

    ZoetraWindows();
    ~ZoetraWindows();
    ZoetraWindows(const ZoetraWindows&) = delete;
    ZoetraWindows& operator=(const ZoetraWindows&) = delete;
};

// Creates the windows in the program's order. settingsFile and hooks go to the main window.
std::unique_ptr<ZoetraWindows> createZoetraWindows(const QString& settingsFile = QString(),
                                                   TZoetraF::Hooks hooks = TZoetraF::Hooks());

// The program: application object, windows, message loop until the main window closes.
int runZoetra(int argc, char** argv);
