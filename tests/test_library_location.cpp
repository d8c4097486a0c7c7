// Where the song library lives: the program folder when it can keep it, else the user's folder.
#include "core/Errors.h"
#include "core/platform/LibraryLocation.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

namespace {
void Put(const QString& file, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray Read(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
}

class TestLibraryLocation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void choice_data();
    void choice();
    void missingStarterNamesTheFiles();
};

void TestLibraryLocation::choice_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("expectLibrary");    // relative to the root
    QTest::addColumn<QString>("expectTemplate");
    QTest::addColumn<QByteArray>("expectContent");  // of the chosen library after the copy step
    QTest::newRow("writable program folder") << "portable" << "prefix/bin/dat/Opern.dat"
                                             << "prefix/bin/template/" << QByteArray("own");
    QTest::newRow("installed, no user library yet") << "installed" << "user/dat/Opern.dat"
                                                    << "prefix/share/tavopiano/template/" << QByteArray("starter");
    QTest::newRow("installed, user library kept") << "installed+user" << "user/dat/Opern.dat"
                                                  << "prefix/share/tavopiano/template/" << QByteArray("mine");
    QTest::newRow("read-only program folder") << "read-only" << "user/dat/Opern.dat"
                                              << "prefix/bin/template/" << QByteArray("own");
}

void TestLibraryLocation::choice()
{
    QFETCH(QString, layout);
    QFETCH(QString, expectLibrary);
    QFETCH(QString, expectTemplate);
    QFETCH(QByteArray, expectContent);
    QTemporaryDir root;
    const QString r = root.path() + '/';
    const QString bin = r + QStringLiteral("prefix/bin");
    QDir().mkpath(bin);
    if (layout == QLatin1String("portable") || layout == QLatin1String("read-only"))
        Put(bin + QStringLiteral("/dat/Opern.dat"), "own");
    if (layout.startsWith(QLatin1String("installed")))
        Put(r + QStringLiteral("prefix/share/tavopiano/dat/Opern.dat"), "starter");
    if (layout == QLatin1String("installed+user"))
        Put(r + QStringLiteral("user/dat/Opern.dat"), "mine");
    if (layout == QLatin1String("read-only")) {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QFile::setPermissions(bin + QStringLiteral("/dat/Opern.dat"), QFile::ReadOwner);
        QFile::setPermissions(bin + QStringLiteral("/dat"), QFile::ReadOwner | QFile::ExeOwner);
    }

    const LibraryLocation where = ChooseLibraryLocation(bin, r + QStringLiteral("user"));
    QCOMPARE(where.libraryFile, r + expectLibrary);
    QCOMPARE(where.templateDir, r + expectTemplate);
    PrepareUserLibrary(where);
    QCOMPARE(Read(where.libraryFile), expectContent);
    QVERIFY(QFileInfo(where.libraryFile).isWritable());
    // The installation is never written to, and the user's folder only when it is the library's.
    QCOMPARE(QFileInfo::exists(r + QStringLiteral("prefix/share/tavopiano/dat/Opern.dat.part")), false);
    if (layout.startsWith(QLatin1String("installed")))
        QCOMPARE(Read(r + QStringLiteral("prefix/share/tavopiano/dat/Opern.dat")), QByteArray("starter"));
    if (layout == QLatin1String("portable"))
        QVERIFY(!QFileInfo::exists(r + QStringLiteral("user")));
    QFile::setPermissions(bin + QStringLiteral("/dat"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestLibraryLocation::missingStarterNamesTheFiles()
{
    QTemporaryDir root;
    const QString bin = root.path() + QStringLiteral("/prefix/bin");
    QDir().mkpath(root.path() + QStringLiteral("/prefix/share/tavopiano"));
    QDir().mkpath(bin);
    const LibraryLocation where = ChooseLibraryLocation(bin, root.path() + QStringLiteral("/user"));
    try {
        PrepareUserLibrary(where);
        QFAIL("no error without a starter library");
    } catch (const TavoError& e) {
        QVERIFY2(e.text().contains(where.starterLibrary), qPrintable(e.text()));
        QVERIFY(!QFileInfo::exists(where.libraryFile));
    }
}

QTEST_GUILESS_MAIN(TestLibraryLocation)
#include "test_library_location.moc"
