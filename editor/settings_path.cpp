#include "editor/settings_path.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

bool isFolderWritable(const QString& folder)
{
    const QFileInfo info(folder);
    if (!info.isDir())
        return false;
    // access() also answers for read-only mounts, which QFileInfo's permission bits do not.
    return ::access(QFile::encodeName(info.absoluteFilePath()).constData(), W_OK | X_OK) == 0;
}

QString settingsFilePathFor(const QString& exePath, const QProcessEnvironment& environment,
                            const std::function<bool(const QString& folder)>& folderWritable)
{
    const QFileInfo exe(exePath);
    if (!exePath.isEmpty() && folderWritable(exe.absolutePath())) {
        const QString suffix = exe.suffix();
        QString base = exe.absoluteFilePath();
        if (!suffix.isEmpty() && !exe.completeBaseName().isEmpty())
            base.chop(suffix.size() + 1);
        return base + ".ini";
    }

    QString configHome = environment.value("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || QDir::isRelativePath(configHome)) {
        QString home = environment.value("HOME");
        if (home.isEmpty())
            home = QDir::homePath();
        configHome = home + "/.config";
    }
    const QString folder = QDir::cleanPath(configHome + "/zoetra");
    QDir().mkpath(folder);
    return folder + "/zoetra.ini";
}

QString settingsFilePath()
{
    return settingsFilePathFor(QCoreApplication::applicationFilePath(), QProcessEnvironment::systemEnvironment(),
                               isFolderWritable);
}
