#pragma once
// The tool windows of the editor that this version does not provide yet. Each is an ordinary
// top-level window with its caption and name that says so; the Tools menu and the editor's
// commands show them like the real windows.

#include <QWidget>

class QLabel;

class ToolWindowPlaceholder : public QWidget {
    Q_OBJECT
public:
    // objectName is the window's name (for example "GIFExplorerF"); what names the tool in
    // the notice ("The GIF Explorer").
    ToolWindowPlaceholder(const QString& objectName, const QString& caption, const QString& what,
                          QWidget* parent = nullptr);

    QLabel* notice = nullptr;
};

class TGIFExplorerF : public ToolWindowPlaceholder {
    Q_OBJECT
public:
    explicit TGIFExplorerF(QWidget* parent = nullptr);
};

class TPainterEffectsF : public ToolWindowPlaceholder {
    Q_OBJECT
public:
    explicit TPainterEffectsF(QWidget* parent = nullptr);
};

class TPainterQBF : public ToolWindowPlaceholder {
    Q_OBJECT
public:
    explicit TPainterQBF(QWidget* parent = nullptr);
};

class TDrawF : public ToolWindowPlaceholder {
    Q_OBJECT
public:
    explicit TDrawF(QWidget* parent = nullptr);
};

class Tavi2gifF : public ToolWindowPlaceholder {
    Q_OBJECT
public:
    explicit Tavi2gifF(QWidget* parent = nullptr);
};

class Tgif2aviF : public ToolWindowPlaceholder {
    Q_OBJECT
public:
    explicit Tgif2aviF(QWidget* parent = nullptr);
};
