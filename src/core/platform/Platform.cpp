#include "core/platform/Platform.h"
#include "core/Errors.h"
#include <QDir>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <QProcessEnvironment>

QString Platform::HomeDir()
{
    const auto env = QProcessEnvironment::systemEnvironment();
    auto expand = [&](const QString& name) {
        return env.contains(name) ? env.value(name) : QStringLiteral("%") + name + QStringLiteral("%");
    };
    return QDir::fromNativeSeparators(expand(QStringLiteral("HOMEDRIVE")) + expand(QStringLiteral("HOMEPATH")));
}

QString Platform::UserTempDir()
{
    QString t = QDir::fromNativeSeparators(QDir::tempPath());
    if (!t.endsWith('/'))
        t += '/';
    return t;
}
#else
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

QString Platform::HomeDir()
{
    return QString::fromLocal8Bit(qgetenv("HOME"));
}

QString Platform::UserTempDir()
{
    // /tmp is shared: fixed file names there could be planted as links by another user.
    const QString dir = QDir(QDir::tempPath()).filePath(QStringLiteral("tavopiano-%1").arg(getuid()));
    const QByteArray path = QFile::encodeName(dir);
    struct stat st {};
    if (lstat(path.constData(), &st) != 0) {
        if (errno != ENOENT || mkdir(path.constData(), 0700) != 0)
            Raise(QStringLiteral("Cannot create the temporary folder \"%1\". %2")
                      .arg(dir, QString::fromLocal8Bit(strerror(errno))));
        if (lstat(path.constData(), &st) != 0)
            Raise(QStringLiteral("Cannot use the temporary folder \"%1\".").arg(dir));
    }
    if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode))
        Raise(QStringLiteral("The temporary folder \"%1\" is not a folder of its own (a link or a file); "
                             "remove it and start again.").arg(dir));
    if (st.st_uid != getuid())
        Raise(QStringLiteral("The temporary folder \"%1\" belongs to another user; remove it and start again.")
                  .arg(dir));
    if ((st.st_mode & 077) != 0 && chmod(path.constData(), 0700) != 0)
        Raise(QStringLiteral("Cannot make the temporary folder \"%1\" private.").arg(dir));
    return dir + '/';
}
#endif
