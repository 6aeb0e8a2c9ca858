#include "editor/templates_window.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TTemplatesF::TTemplatesF(QWidget* parent) : QDialog(parent)
{
    setObjectName("TemplatesF");
    setWindowTitle("Templates");
    resize(378, 472);

    editor = new QPlainTextEdit(this);
    editor->setObjectName("editor");
    QFont font("Arial");
    font.setPixelSize(17);
    editor->setFont(font);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    OKBtn = new QPushButton("OK", Panel1);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setDefault(false);
    OKBtn->setAutoDefault(false);
    CancelBtn = new QPushButton("Cancel", Panel1);
    CancelBtn->setObjectName("CancelBtn");
    CancelBtn->setAutoDefault(false);
    auto* buttons = new QHBoxLayout(Panel1);
    buttons->setContentsMargins(8, 6, 8, 6);
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(editor, 1);
    layout->addWidget(Panel1);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

QStringList TTemplatesF::lines() const
{
    QString text = editor->toPlainText();
    if (text.isEmpty())
        return {};
    if (text.endsWith('\n'))
        text.chop(1);
    return text.split('\n');
}

void TTemplatesF::setLines(const QStringList& lines) { editor->setPlainText(lines.join('\n')); }

bool TTemplatesF::editLines(QStringList& lines)
{
    setLines(lines);
    if (exec() != QDialog::Accepted)
        return false;
    lines = this->lines();
    return true;
}
