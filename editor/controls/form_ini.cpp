#include "editor/controls/form_ini.h"

#include "editor/controls/ini_file32.h"

#include <QWidget>

TvxFormIni::TvxFormIni(std::filesystem::path settingsFile) : settingsFile_(std::move(settingsFile))
{
}

void TvxFormIni::LoadFormPlacement(QWidget& form) const
{
    const TIniFile32 ini(settingsFile_);
    const std::string section = form.objectName().toStdString();
    if (ini.ReadBool(section, "State", false)) {
        form.setWindowState(form.windowState() | Qt::WindowMaximized);
        return;
    }
    const int left = ini.ReadInteger(section, "Left", form.x());
    const int top = ini.ReadInteger(section, "Top", form.y());
    int width = ini.ReadInteger(section, "Width", form.width());
    int height = ini.ReadInteger(section, "Height", form.height());
    // A window of no size could not be seen or reached again.
    if (width <= 0)
        width = form.width();
    if (height <= 0)
        height = form.height();
    form.move(left, top);
    form.resize(width, height);
}

void TvxFormIni::SaveFormPlacement(const QWidget& form) const
{
    TIniFile32 ini(settingsFile_);
    const std::string section = form.objectName().toStdString();
    const bool maximized = form.isMaximized();
    ini.WriteBool(section, "State", maximized);
    if (maximized)
        return;
    ini.WriteInteger(section, "Left", form.x());
    ini.WriteInteger(section, "Top", form.y());
    ini.WriteInteger(section, "Width", form.width());
    ini.WriteInteger(section, "Height", form.height());
}
