#pragma once
// The drive box of the "Files" page: the mounted file systems, with the root folder and the
// user's home folder first. Choosing an entry reports its root folder.

#include <QComboBox>
#include <QStringList>

class TvelDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TvelDriveComboBox(QWidget* parent = nullptr);

    // "/" and the home folder first, then the root folders of the other mounted file systems
    // that are folders and ready, each once.
    static QStringList mountedDriveRoots();

    // Replaces the entries (the first entry becomes the chosen one, without driveChanged).
    void setDrives(const QStringList& roots);
    QStringList drives() const;

    // Root folder of the chosen entry; empty when there are none.
    QString drive() const;
    // Chooses the entry with this root folder (driveChanged when it changes); false if none.
    bool setDrive(const QString& root);
    // The entry whose root folder is the longest leading part of path; empty if none.
    QString driveOf(const QString& path) const;

signals:
    // The user or setDrive chose another entry.
    void driveChanged(const QString& root);
};
