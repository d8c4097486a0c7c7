#include "core/platform/Folders.h"
#include "core/platform/Platform.h"
#include <QCoreApplication>

Folders ResolveFolders(const QString& appDir)
{
    Folders f;
    f.AppDir = appDir.isEmpty() ? QCoreApplication::applicationDirPath() : appDir;
    if (!f.AppDir.endsWith('/'))
        f.AppDir += '/';
    f.HomeDir = Platform::HomeDir();
    f.TempDir = Platform::UserTempDir();
    return f;
}
