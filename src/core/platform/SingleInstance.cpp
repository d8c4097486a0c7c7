#include "core/platform/SingleInstance.h"
#include "core/AppInfo.h"
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {
const QByteArray RaiseRequest = "raise\n";
}

SingleInstance::SingleInstance(const QString& privateDir, QObject* parent)
    : QObject(parent),
      m_lockPath(privateDir + AppTitle + QStringLiteral(".lock")),
      m_serverPath(privateDir + QStringLiteral("tavopiano.socket"))
{
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Role SingleInstance::Claim()
{
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    m_lock->setStaleLockTime(0);   // only a live owner counts; a crashed copy's lock is taken over
    if (m_lock->tryLock(0)) {
        Listen();
        return m_role = Role::First;
    }
    qint64 pid = 0;
    QString host, app;
    if (m_lock->error() == QLockFile::LockFailedError && m_lock->getLockInfo(&pid, &host, &app)) {
        AskFirstToComeForward();
        return m_role = Role::Second;
    }
    m_message = QStringLiteral("无法取得运行锁文件“%1”：%2\n程序无法确认是否已有一个钢琴在运行，因此不能启动。")
                    .arg(m_lockPath, FailureReason());
    return m_role = Role::Failed;
}

void SingleInstance::Listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket file left here belongs to a copy that is gone.
    QLocalServer::removeServer(m_serverPath);
    if (!m_server->listen(m_serverPath)) {
        // The piano still runs; only a later start cannot bring it forward.
        qWarning("tavopiano: %s: %s", qPrintable(m_serverPath), qPrintable(m_server->errorString()));
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = m_server->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (s->canReadLine() && s->readLine() == RaiseRequest)
                    Q_EMIT activationRequested();
            });
        }
    });
}

bool SingleInstance::AskFirstToComeForward() const
{
    // The first copy takes the lock a moment before it listens; allow it that moment.
    const QDeadlineTimer deadline(1500);
    while (!deadline.hasExpired()) {
        QLocalSocket s;
        s.connectToServer(m_serverPath);
        if (s.waitForConnected(500)) {
            s.write(RaiseRequest);
            const bool sent = s.waitForBytesWritten(500);
            s.disconnectFromServer();
            if (s.state() != QLocalSocket::UnconnectedState)
                s.waitForDisconnected(200);
            return sent;
        }
        QThread::msleep(50);
    }
    return false;
}

QString SingleInstance::FailureReason() const
{
    const QFileInfo fi(m_lockPath);
    if (fi.exists() && !fi.isFile())
        return QStringLiteral("该位置是一个文件夹或其他非普通文件，请删除后重新启动。");
#ifdef Q_OS_UNIX
    // QLockFile does not say why; ask the system the same question.
    const QByteArray path = QFile::encodeName(m_lockPath);
    const int fd = fi.exists() ? ::open(path.constData(), O_RDWR | O_CLOEXEC)
                               : ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return QString::fromLocal8Bit(strerror(errno));
    ::close(fd);
    if (!fi.exists())
        ::unlink(path.constData());
#endif
    switch (m_lock->error()) {
    case QLockFile::PermissionError:
        return QStringLiteral("没有权限。");
    case QLockFile::LockFailedError:
        return QStringLiteral("锁文件的内容无法读取，请删除该文件后重新启动。");
    default:
        return QStringLiteral("读写出错。");
    }
}
