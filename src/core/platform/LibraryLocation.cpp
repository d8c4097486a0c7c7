#include "core/platform/LibraryLocation.h"
#include "core/Errors.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
QString WithSlash(QString dir)
{
    dir = QDir::fromNativeSeparators(dir);
    if (!dir.endsWith('/'))
        dir += '/';
    return dir;
}

// SQLite writes its journal beside the library, so the folder must be writable too.
bool WritableLibrary(const QString& file)
{
    const QFileInfo fi(file);
    return fi.isFile() && fi.isWritable() && QFileInfo(fi.absolutePath()).isWritable();
}
}

LibraryLocation ChooseLibraryLocation(const QString& appDir, const QString& userDataDir)
{
    const QString app = WithSlash(appDir);
    const QString ownLibrary = app + QStringLiteral("dat/Opern.dat");
    if (WritableLibrary(ownLibrary))
        return {ownLibrary, app + QStringLiteral("template/"), QString()};

    const QString shared = WithSlash(QDir::cleanPath(app + QStringLiteral("../share/tavopiano")));
    const bool installed = QFileInfo(shared).isDir();
    // A read-only program folder that carries its own library (no installed data beside it)
    // still serves as the starter.
    const QString starter = installed ? shared + QStringLiteral("dat/Opern.dat") : ownLibrary;
    const QString templates = installed ? shared + QStringLiteral("template/") : app + QStringLiteral("template/");
    return {WithSlash(userDataDir) + QStringLiteral("dat/Opern.dat"), templates, starter};
}

void PrepareUserLibrary(const LibraryLocation& where)
{
    if (where.starterLibrary.isEmpty() || QFileInfo::exists(where.libraryFile))
        return;
    if (!QFileInfo(where.starterLibrary).isFile())
        Raise(QStringLiteral("找不到初始歌曲库“%1”，无法为您创建歌曲库“%2”。").arg(where.starterLibrary, where.libraryFile));
    const QString folder = QFileInfo(where.libraryFile).absolutePath();
    if (!QDir().mkpath(folder))
        Raise(QStringLiteral("无法创建文件夹“%1”。").arg(folder));
    // Copied under a passing name and renamed, so a full disk never leaves half a library behind.
    const QString part = where.libraryFile + QStringLiteral(".part");
    QFile::remove(part);
    QFile src(where.starterLibrary);
    if (!src.copy(part)) {
        const QString reason = src.errorString();
        QFile::remove(part);
        Raise(QStringLiteral("无法把初始歌曲库“%1”复制为“%2”：%3").arg(where.starterLibrary, where.libraryFile, reason));
    }
    // The installed file is read-only for the user; the copy is theirs to write.
    QFile::setPermissions(part, QFile::permissions(part) | QFile::ReadOwner | QFile::WriteOwner);
    QFile dst(part);
    if (!dst.rename(where.libraryFile)) {
        const QString reason = dst.errorString();
        QFile::remove(part);
        Raise(QStringLiteral("无法创建歌曲库“%1”：%2").arg(where.libraryFile, reason));
    }
}
