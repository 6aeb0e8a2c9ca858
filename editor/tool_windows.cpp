#include "editor/tool_windows.h"

#include <QLabel>
#include <QVBoxLayout>

ToolWindowPlaceholder::ToolWindowPlaceholder(const QString& objectName, const QString& caption, const QString& what,
                                             QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    resize(420, 160);
    notice = new QLabel(what + " is not available in this version of Zoetra.", this);
    notice->setObjectName("notice");
    notice->setAlignment(Qt::AlignCenter);
    notice->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(notice);
}

TGIFExplorerF::TGIFExplorerF(QWidget* parent)
    : ToolWindowPlaceholder("GIFExplorerF", "GIF Explorer", "The GIF Explorer", parent)
{
}

TPainterEffectsF::TPainterEffectsF(QWidget* parent)
    : ToolWindowPlaceholder("PainterEffectsF", "Painter Effects", "The Painter Effects window", parent)
{
}

TPainterQBF::TPainterQBF(QWidget* parent)
    : ToolWindowPlaceholder("PainterQBF", "QuickBack", "The QuickBack backdrop generator", parent)
{
}

TDrawF::TDrawF(QWidget* parent) : ToolWindowPlaceholder("DrawF", "Zoetra Draw", "The Draw window", parent) {}

Tavi2gifF::Tavi2gifF(QWidget* parent)
    : ToolWindowPlaceholder("avi2gifF", "AVI to GIF converter", "The AVI to GIF converter", parent)
{
}

Tgif2aviF::Tgif2aviF(QWidget* parent)
    : ToolWindowPlaceholder("gif2aviF", "GIF to AVI converter", "The GIF to AVI converter", parent)
{
}
