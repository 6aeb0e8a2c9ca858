#pragma once
// The editor of the text wizards' lines: a memo filling the window and OK / Cancel below.

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;
class QPushButton;
class QWidget;

class TTemplatesF : public QDialog {
    Q_OBJECT
public:
    explicit TTemplatesF(QWidget* parent = nullptr);

    // The memo's text as lines; a final line break does not start another line.
    QStringList lines() const;
    void setLines(const QStringList& lines);

    // Shows the window modally with these lines. On OK the edited lines replace them and the
    // result is true; on Cancel (or closing the window) they stay and the result is false.
    bool editLines(QStringList& lines);

    QPlainTextEdit* editor = nullptr;
    QWidget* Panel1 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
};
