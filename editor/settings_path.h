#pragma once
// Where the editor keeps its settings file.

#include <QProcessEnvironment>
#include <QString>

#include <functional>

// The settings file for an executable at exePath: the executable's path with ".ini" (its
// extension, if any, replaced) while the executable's folder is writable; otherwise
// "zoetra/zoetra.ini" under $XDG_CONFIG_HOME (an absolute path), else under $HOME/.config.
// The fallback folder is created. folderWritable decides whether a folder is writable.
QString settingsFilePathFor(const QString& exePath, const QProcessEnvironment& environment,
                            const std::function<bool(const QString& folder)>& folderWritable);

// Whether files can be created in folder (an existing folder the process may write to).
bool isFolderWritable(const QString& folder);

// The settings file of the running program (QCoreApplication::applicationFilePath).
QString settingsFilePath();
