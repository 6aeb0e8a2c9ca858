#include "editor/drive_combo_box.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QStorageInfo>

namespace {

QString cleanRoot(const QString& path)
{
    QString p = QDir::cleanPath(path);
    return p.isEmpty() ? QStringLiteral("/") : p;
}

// Whether folder is root or lies inside it.
bool isInside(const QString& path, const QString& root)
{
    if (root == QLatin1String("/"))
        return path.startsWith('/');
    return path == root || path.startsWith(root + '/');
}

} // namespace

TvelDriveComboBox::TvelDriveComboBox(QWidget* parent) : QComboBox(parent)
{
    setObjectName("velDriveComboBox1");
    setDrives(mountedDriveRoots());
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            emit driveChanged(itemData(index).toString());
    });
}

QStringList TvelDriveComboBox::mountedDriveRoots()
{
    QStringList roots{QStringLiteral("/")};
    const QString home = cleanRoot(QDir::homePath());
    if (!roots.contains(home))
        roots << home;
    QStringList others;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString root = cleanRoot(volume.rootPath());
        if (!QFileInfo(root).isDir() || roots.contains(root) || others.contains(root))
            continue;
        others << root;
    }
    others.sort();
    return roots + others;
}

void TvelDriveComboBox::setDrives(const QStringList& roots)
{
    const QSignalBlocker blocker(this);
    clear();
    for (const QString& root : roots) {
        const QString r = cleanRoot(root);
        addItem(r, r);
    }
    if (count() > 0)
        setCurrentIndex(0);
}

QStringList TvelDriveComboBox::drives() const
{
    QStringList list;
    for (int i = 0; i < count(); ++i)
        list << itemData(i).toString();
    return list;
}

QString TvelDriveComboBox::drive() const { return currentIndex() >= 0 ? currentData().toString() : QString(); }

bool TvelDriveComboBox::setDrive(const QString& root)
{
    const int index = findData(cleanRoot(root));
    if (index < 0)
        return false;
    setCurrentIndex(index);
    return true;
}

QString TvelDriveComboBox::driveOf(const QString& path) const
{
    if (path.isEmpty())
        return {};
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString best;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        if (isInside(clean, root) && root.size() > best.size())
            best = root;
    }
    return best;
}
