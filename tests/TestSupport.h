#pragma once
// Shared test scaffolding: answered dialogs, private HOME/TMPDIR, and the windows.
#include "RecordingDialogs.h"
#include "core/Errors.h"
#include "ui/keys/WideKeyboard.h"
#include "ui/panels/AboutPanel.h"
#include "ui/panels/EntryPanel.h"
#include "ui/panels/HelpPanel.h"
#include "ui/panels/ScorePanel.h"
#include "ui/widgets/ClickLabel.h"
#include "ui/widgets/GlyphGrid.h"
#include "ui/widgets/ScoreGrid.h"
#include "ui/shell/FormPiano.h"
#include "ui/shell/TavoApplication.h"
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <memory>

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

// The windows as the program entry makes them, answering to the env's dialogs and
// program folder.
struct PianoWindows {
    explicit PianoWindows(TempEnv& env) : main(std::make_unique<TFormPiano>(env.dialogs, env.options()))
    {
        main->SetPageFetcher([](const QString&) { return QString(); });   // tests never touch the network
    }
    std::unique_ptr<TFormPiano> main;
    NotePlayer& player() const { return main->Player(); }
    TFrmKeyBoard_2& kb2() const { return *main->WideKeyboard(); }
};

#define TAVO_TEST_MAIN(TestObject)                 \
    int main(int argc, char** argv)                \
    {                                              \
        QTemporaryDir runtimeDir;                  \
        qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit()); \
        TavoApplication app(argc, argv);           \
        app.setAttribute(Qt::AA_Use96Dpi, true);   \
        TestObject tc;                             \
        QTEST_SET_MAIN_SOURCE_PATH                 \
        return QTest::qExec(&tc, argc, argv);      \
    }
