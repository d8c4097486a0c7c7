#include "core/platform/Folders.h"
#include "core/platform/LibraryLocation.h"
#include "core/platform/Platform.h"
#include "core/settings/Settings.h"
#include <QCoreApplication>
#include <QStandardPaths>

namespace {
QString AppDirOf(const FolderOptions& options)
{
    QString dir = options.appDir.isEmpty() ? QCoreApplication::applicationDirPath() : options.appDir;
    if (!dir.endsWith('/'))
        dir += '/';
    return dir;
}

QString DataDirOf(const FolderOptions& options)
{
    return options.dataDir.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                                     : options.dataDir;
}
}

QString LibraryFileOf(const FolderOptions& options)
{
    return ChooseLibraryLocation(AppDirOf(options), DataDirOf(options)).libraryFile;
}

Folders ResolveFolders(const FolderOptions& options)
{
    Folders f;
    f.AppDir = AppDirOf(options);
    f.HomeDir = Platform::HomeDir();
    f.TempDir = Platform::UserTempDir();
    f.ConfigDir = options.configDir.isEmpty() ? SettingsFolder(f.HomeDir) : options.configDir;
    f.DesktopDir = options.desktopDir.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)
                                                : options.desktopDir;
    const QString dataDir = DataDirOf(options);
    f.DataDir = dataDir;
    const LibraryLocation where = ChooseLibraryLocation(f.AppDir, dataDir);
    f.LibraryFile = where.libraryFile;
    f.StarterLibrary = where.starterLibrary;
    f.TemplateDir = where.templateDir;
    return f;
}
