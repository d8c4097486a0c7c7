#pragma once
// Test scaffolding of the core alone: answered dialogs, a private HOME, TMPDIR and program
// folder, and a main without widgets.
#include "RecordingDialogs.h"
#include "core/Errors.h"
#include "core/platform/Folders.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

// A private HOME, TMPDIR and program folder for one test; everything is removed after.
class TempEnv {
public:
    TempEnv()
    {
        QDir(root.path()).mkpath(QStringLiteral("home"));
        QDir(root.path()).mkpath(QStringLiteral("tmp"));
        QDir(root.path()).mkpath(QStringLiteral("app/dat"));
        oldHome = qgetenv("HOME");
        oldTmp = qgetenv("TMPDIR");
        qputenv("HOME", home().toLocal8Bit());
        qputenv("TMPDIR", (root.path() + QStringLiteral("/tmp")).toLocal8Bit());
    }
    ~TempEnv()
    {
        qputenv("HOME", oldHome);
        qputenv("TMPDIR", oldTmp);
    }
    QString home() const { return root.path() + QStringLiteral("/home"); }
    QString app() const { return root.path() + QStringLiteral("/app/"); }
    // Every folder the program writes to lies inside the test's own root.
    FolderOptions options() const
    {
        return {app(), root.path() + QStringLiteral("/config"), root.path() + QStringLiteral("/data"),
                root.path() + QStringLiteral("/desktop")};
    }
    // The starter song database built next to the real executable, copied in.
    bool copyStarterDatabase() const
    {
        return QFile::copy(QStringLiteral(TAVO_APPDIR "/dat/Opern.dat"), app() + QStringLiteral("dat/Opern.dat"));
    }

    QTemporaryDir root;
    RecordingDialogs dialogs;
    QByteArray oldHome, oldTmp;
};

// A test main on the given application class; `setup` runs once the application exists.
#define TAVO_TEST_MAIN_ON(Application, TestObject, setup)             \
    int main(int argc, char** argv)                                     \
    {                                                                   \
        QTemporaryDir runtimeDir;                                       \
        qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());    \
        Application app(argc, argv);                                    \
        setup;                                                          \
        TestObject tc;                                                  \
        QTEST_SET_MAIN_SOURCE_PATH                                      \
        return QTest::qExec(&tc, argc, argv);                           \
    }
#define TAVO_CORE_TEST_MAIN(TestObject) TAVO_TEST_MAIN_ON(QCoreApplication, TestObject, (void)app)
