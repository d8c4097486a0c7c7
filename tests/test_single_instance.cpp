// One piano per user: a second start brings the first forward and ends; a bad lock is reported.
#include "core/platform/SingleInstance.h"
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {
// A started copy in a child process: prints its role, and "activated" when asked forward.
int RunInstance(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    SingleInstance guard(QString::fromLocal8Bit(argv[2]) + '/');
    const SingleInstance::Role role = guard.Claim();
    if (role == SingleInstance::Role::Failed)
        std::fprintf(stderr, "%s\n", qPrintable(guard.message()));
    if (role != SingleInstance::Role::First) {
        std::printf("%s\n", role == SingleInstance::Role::Second ? "second" : "failed");
        return role == SingleInstance::Role::Second ? 0 : 1;
    }
    QObject::connect(&guard, &SingleInstance::activationRequested, &app, [] {
        std::printf("activated\n");
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    QTimer::singleShot(20000, &app, [] { QCoreApplication::exit(3); });
    std::printf("first\n");
    std::fflush(stdout);
    return app.exec();
}

bool WaitForLine(QProcess& p, const QByteArray& line)
{
    while (!p.canReadLine())
        if (!p.waitForReadyRead(10000))
            return false;
    return p.readLine().trimmed() == line;
}
}

class TestSingleInstance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void secondStartRaisesTheFirst();
    void crashedCopyDoesNotBlock();
    void unusableLockIsReported();

private:
    void StartCopy(QProcess& p, const QString& dir)
    {
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--instance"), dir});
        QVERIFY(p.waitForStarted());
    }
};

void TestSingleInstance::secondStartRaisesTheFirst()
{
    QTemporaryDir dir;
    QProcess first, second;
    StartCopy(first, dir.path());
    QVERIFY(WaitForLine(first, "first"));
    StartCopy(second, dir.path());
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.readAllStandardOutput().trimmed(), QByteArray("second"));
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(WaitForLine(first, "activated"));
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitCode(), 0);
}

void TestSingleInstance::crashedCopyDoesNotBlock()
{
    QTemporaryDir dir;
    QProcess crashed;
    StartCopy(crashed, dir.path());
    QVERIFY(WaitForLine(crashed, "first"));
    crashed.kill();
    QVERIFY(crashed.waitForFinished(10000));
    QVERIFY(QFileInfo::exists(dir.path() + QStringLiteral("/tavopiano.socket")));

    SingleInstance guard(dir.path() + '/');
    QCOMPARE(guard.Claim(), SingleInstance::Role::First);
    // The socket left behind is replaced, so the next start still reaches this one.
    QSignalSpy raised(&guard, &SingleInstance::activationRequested);
    QProcess second;
    StartCopy(second, dir.path());
    QVERIFY(raised.wait(10000));
    QVERIFY(second.state() == QProcess::NotRunning || second.waitForFinished(10000));
    QCOMPARE(second.readAllStandardOutput().trimmed(), QByteArray("second"));
}

void TestSingleInstance::unusableLockIsReported()
{
    QTemporaryDir dir;
    SingleInstance guard(dir.path() + '/');
    QVERIFY(QDir().mkpath(guard.lockFile()));   // a folder where the lock file belongs
    QCOMPARE(guard.Claim(), SingleInstance::Role::Failed);
    QVERIFY2(guard.message().contains(guard.lockFile()), qPrintable(guard.message()));
    QVERIFY2(guard.message().contains(QStringLiteral("文件夹")), qPrintable(guard.message()));
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--instance") == 0)
        return RunInstance(argc, argv);
    QCoreApplication app(argc, argv);
    TestSingleInstance t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_single_instance.moc"
