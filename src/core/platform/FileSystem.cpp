#include "core/platform/FileSystem.h"
#include <QFile>
#include <QFileInfo>

namespace {
const QString Missing = QStringLiteral("文件不存在");
const QString NotRegular = QStringLiteral("它不是一个普通文件");
const QString Folder = QStringLiteral("它是一个文件夹");
}

#ifdef Q_OS_WIN
#include <QDir>
#include <windows.h>

Platform::OpenFault Platform::OpenRegularFile(const QString& path, QFile& file, qint64* size, QString* why)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        *why = Missing;
        return OpenFault::Missing;
    }
    if (!info.isFile()) {
        *why = info.isDir() ? Folder : NotRegular;
        return OpenFault::NotRegular;
    }
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return OpenFault::Other;
    }
    *size = file.size();
    return OpenFault::None;
}

bool Platform::ReplaceFile(const QString& from, const QString& to, QString* why)
{
    const QString f = QDir::toNativeSeparators(from);
    const QString t = QDir::toNativeSeparators(to);
    if (MoveFileExW(reinterpret_cast<LPCWSTR>(f.utf16()), reinterpret_cast<LPCWSTR>(t.utf16()),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    *why = QStringLiteral("无法替换原有的文件（错误 %1）").arg(GetLastError());
    return false;
}

bool Platform::MakeFifo(const QString&)
{
    return false;
}
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString Reason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// Refuses what is not a regular file, in words.
bool Regular(const struct stat& st, QString* why)
{
    if (S_ISREG(st.st_mode))
        return true;
    *why = S_ISDIR(st.st_mode) ? Folder : NotRegular;
    return false;
}
}

Platform::OpenFault Platform::OpenRegularFile(const QString& path, QFile& file, qint64* size, QString* why)
{
    const QByteArray local = QFile::encodeName(path);
    struct stat st {};
    // A device is not even opened: opening some has effects of its own.
    if (path.isEmpty() || ::stat(local.constData(), &st) != 0) {
        const int err = path.isEmpty() ? ENOENT : errno;
        const bool missing = err == ENOENT || err == ENOTDIR;
        *why = missing ? Missing : Reason(err);
        return missing ? OpenFault::Missing : OpenFault::Other;
    }
    if (!Regular(st, why))
        return OpenFault::NotRegular;
    // Non-blocking: a pipe put in the file's place meanwhile would otherwise wait for a writer.
    const int fd = ::open(local.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *why = Reason(errno);
        return OpenFault::Other;
    }
    if (::fstat(fd, &st) != 0) {
        *why = Reason(errno);
        ::close(fd);
        return OpenFault::Other;
    }
    if (!Regular(st, why)) {
        ::close(fd);
        return OpenFault::NotRegular;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        *why = Reason(errno);
        ::close(fd);
        return OpenFault::Other;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *why = file.errorString();
        ::close(fd);
        return OpenFault::Other;
    }
    *size = st.st_size;
    return OpenFault::None;
}

bool Platform::ReplaceFile(const QString& from, const QString& to, QString* why)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *why = Reason(errno);
    return false;
}

bool Platform::MakeFifo(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}
#endif
