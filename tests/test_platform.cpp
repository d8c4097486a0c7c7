// Folders of the platform under the environments a start can meet.
#include "core/Errors.h"
#include "core/platform/Platform.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <future>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Sets one environment variable for the life of a test, then puts the old value back.
class EnvGuard {
public:
    EnvGuard(const char* name, const QByteArray* value) : m_name(name), m_had(qEnvironmentVariableIsSet(name)),
                                                          m_old(qgetenv(name))
    {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~EnvGuard() { m_had ? qputenv(m_name, m_old) : qunsetenv(m_name); }
private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};
}

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void homeWithoutHomeVariable();
    void tempBase();
    void privateFolder();
};

void TestPlatform::homeWithoutHomeVariable()
{
    {
        const EnvGuard unset("HOME", nullptr);
        const passwd* pw = getpwuid(getuid());
        QVERIFY(pw && pw->pw_dir && *pw->pw_dir);
        QCOMPARE(Platform::HomeDir(), QString::fromLocal8Bit(pw->pw_dir));
        // Every folder worked out from the home then agrees with it, none is at "/".
        Platform::ExportHomeDir();
        const QDir home(QString::fromLocal8Bit(pw->pw_dir));
        for (auto where : {QStandardPaths::DesktopLocation, QStandardPaths::AppConfigLocation})
            QVERIFY2(QStandardPaths::writableLocation(where).startsWith(home.absolutePath() + u'/'),
                     qPrintable(QStandardPaths::writableLocation(where)));
    }
    QCOMPARE(Platform::ChooseHomeDir(QStringLiteral("/home/a"), QStringLiteral("/home/b")), QStringLiteral("/home/a"));
    QVERIFY_THROWS_EXCEPTION(TavoError, Platform::ChooseHomeDir(QString(), QString()));
}

void TestPlatform::tempBase()
{
    QTemporaryDir dir;
    const QByteArray missing = QFile::encodeName(dir.path() + QStringLiteral("/gone"));
    const QByteArray relative = "tmp";
    const QByteArray existing = QFile::encodeName(dir.path());
    {
        const EnvGuard g("TMPDIR", &missing);
        QCOMPARE(Platform::TempBaseDir(), QStringLiteral("/tmp"));
    }
    {
        const EnvGuard g("TMPDIR", &relative);
        QCOMPARE(Platform::TempBaseDir(), QStringLiteral("/tmp"));
    }
    {
        const EnvGuard g("TMPDIR", &existing);
        QCOMPARE(Platform::TempBaseDir(), dir.path());
    }
}

void TestPlatform::privateFolder()
{
    QTemporaryDir dir;
    const QByteArray base = QFile::encodeName(dir.path());
    const EnvGuard g("TMPDIR", &base);
    const QString expect = dir.path() + QStringLiteral("/tavopiano-%1/").arg(getuid());

    // First starts racing: every one of them is given the same folder, none an error.
    std::vector<std::future<QString>> starts;
    for (int i = 0; i < 6; ++i)
        starts.push_back(std::async(std::launch::async, [] { return Platform::UserTempDir(); }));
    for (auto& s : starts)
        QCOMPARE(s.get(), expect);

    // An existing folder open to others is made private again.
    QVERIFY(chmod(QFile::encodeName(expect).constData(), 0755) == 0);
    QCOMPARE(Platform::UserTempDir(), expect);
    QCOMPARE(QFileInfo(expect).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());

    // A file in its place is refused, with the folder named.
    QVERIFY(QDir(expect).removeRecursively());
    QFile planted(expect.chopped(1));
    QVERIFY(planted.open(QIODevice::WriteOnly));
    planted.close();
    try {
        Platform::UserTempDir();
        QFAIL("a file was taken for the private folder");
    } catch (const TavoError& e) {
        QVERIFY2(e.text().contains(expect.chopped(1)), qPrintable(e.text()));
    }
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "test_platform.moc"
