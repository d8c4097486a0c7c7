#pragma once
// Test scaffolding of the windows, on top of the core's.
#include "CoreTestSupport.h"
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

#define TAVO_TEST_MAIN(TestObject) \
    TAVO_TEST_MAIN_ON(TavoApplication, TestObject, app.setAttribute(Qt::AA_Use96Dpi, true))
