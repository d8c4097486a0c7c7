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

void Platform::ExportHomeDir() {}

QString Platform::TempBaseDir()
{
    return QDir::fromNativeSeparators(QDir::tempPath());
}

QString Platform::UserTempDir()
{
    QString t = TempBaseDir();
    if (!t.endsWith('/'))
        t += '/';
    return t;
}
#else
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString SystemReason(int err)
{
    return QString::fromLocal8Bit(strerror(err));
}
}

QString Platform::HomeDir()
{
    QString account;
    if (qEnvironmentVariableIsEmpty("HOME")) {
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
            account = QString::fromLocal8Bit(pw->pw_dir);
    }
    return ChooseHomeDir(QString::fromLocal8Bit(qgetenv("HOME")), account);
}

void Platform::ExportHomeDir()
{
    if (qEnvironmentVariableIsEmpty("HOME"))
        qputenv("HOME", QFile::encodeName(HomeDir()));
}

QString Platform::TempBaseDir()
{
    // A TMPDIR that does not exist would put the private folder under the working folder,
    // and the instance guard with it.
    const QString env = QFile::decodeName(qgetenv("TMPDIR"));
    if (!env.isEmpty()) {
        const QFileInfo fi(env);
        if (fi.isAbsolute() && fi.isDir())
            return QDir::cleanPath(env);
    }
    return QStringLiteral("/tmp");
}

QString Platform::UserTempDir()
{
    // /tmp is shared: fixed file names there could be planted as links by another user.
    const QString dir = QDir(TempBaseDir()).filePath(QStringLiteral("tavopiano-%1").arg(getuid()));
    const QByteArray path = QFile::encodeName(dir);
    // Two first starts may race here; the loser's "exists" is fine once the folder passes the checks.
    if (mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        Raise(QStringLiteral("无法创建临时文件夹“%1”：%2").arg(dir, SystemReason(errno)));
    struct stat st {};
    if (lstat(path.constData(), &st) != 0)
        Raise(QStringLiteral("无法使用临时文件夹“%1”：%2").arg(dir, SystemReason(errno)));
    if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode))
        Raise(QStringLiteral("临时文件夹“%1”不是一个独立的文件夹（而是链接或文件），请删除后重新启动。").arg(dir));
    if (st.st_uid != getuid())
        Raise(QStringLiteral("临时文件夹“%1”属于另一个用户，请删除后重新启动。").arg(dir));
    if ((st.st_mode & 077) != 0 && chmod(path.constData(), 0700) != 0)
        Raise(QStringLiteral("无法把临时文件夹“%1”设为私有：%2").arg(dir, SystemReason(errno)));
    return dir + '/';
}
#endif

QString Platform::ChooseHomeDir(const QString& fromEnvironment, const QString& fromAccount)
{
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    if (!fromAccount.isEmpty())
        return fromAccount;
    // An empty home would put the settings files at the root of the disk.
    Raise(QStringLiteral("找不到用户的主文件夹：环境变量 HOME 没有设置，账户信息里也没有主文件夹。"));
}
