// 示范, 跟弹 and 节奏 on the score panel: the buttons' wiring through every keyboard, the
// marks and lines drawn, the page turn, and what stops a mode. The rules themselves are
// tried without a window in test_practice_session.
#include "ScoreTestSupport.h"
#include "TestSupport.h"
#include "ui/keys/KeyMarks.h"
#include "ui/keys/MainKeys.h"
#include "ui/keys/WideKeyboard.h"
#include <QAction>
#include <QMenu>
#include <QFileInfo>
#include <QSettings>
#include "ui/panels/PracticeBar.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/Resources.h"
#include "ui/widgets/TempoControl.h"
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QWheelEvent>

using namespace ScoreTest;
using Mode = PracticeBar::Mode;

namespace {

void StartUp(TFormPiano& m)
{
    m.show();
    QTRY_VERIFY_WITH_TIMEOUT(m.StartupDone(), 20000);
}

// The song in menu place n, opened from the menu picture.
void OpenSong(TFormPiano& m, int n)
{
    QTest::mouseClick(m.ImgOpernShow, Qt::LeftButton);
    m.GBxShowOpern->LabOpMenuDblClick(n);
    QVERIFY(m.GBxShowOpern->ShownSongID() > 0);
}

// A piano with its score panel built, on the starter songs when asked for.
struct Piano {
    explicit Piano(bool starterSongs) : songsCopied(!starterSongs || env.copyStarterDatabase()) {}
    TempEnv env;
    bool songsCopied;
    PianoWindows w{env};
    TFormPiano& m = *w.main;
    ScorePanel& p = *m.GBxShowOpern;
    PracticeBar& bar = *p.Practice;
};

// The box lies over the view cell at that position.
bool MarkOver(const PracticeBar& bar, const ScorePanel& p, int position)
{
    return !bar.Mark->isHidden() && bar.Mark->geometry().contains(p.Grid->Cells[size_t(position - 1)]->geometry());
}

} // namespace

class TestPracticePanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // 小星星: 1 1 5 5 | 6 6 5 - | 4 4 3 3 | ...; right keys move the box, a wrong one flashes.
    void followTakesNotesFromEveryKeyboard()
    {
        Piano piano{true};
        QVERIFY(piano.songsCopied);
        auto& [env, songs, w, m, p, bar] = piano;
        StartUp(m);
        OpenSong(m, 1);
        QCOMPARE(p.LabSongName->text(), QStringLiteral("小星星"));

        QTest::mouseClick(bar.ImgFollow, Qt::LeftButton);
        QCOMPARE(bar.Running(), Mode::Follow);
        QCOMPARE(bar.ImgFollow->Picture(), ResourceImage(QStringLiteral("pic/follow_down.png")));
        QVERIFY(MarkOver(bar, p, 1));
        // The awaited key is lit with its letter on both keyboards.
        for (KeyMarks* k : {m.Keys->Marks, w.kb2().Marks})
            QVERIFY(k->Awaited() == QStringLiteral("c1") && k->Letter(QStringLiteral("c1")) == QStringLiteral("H"));
        QCOMPARE(m.Keys->Marks->Letter(QStringLiteral("d1")), QStringLiteral("J"));   // a new user sees every letter

        for (Qt::Key k : {Qt::Key_H, Qt::Key_H})
            QTest::keyClick(&m, k);
        QCOMPARE(bar.MarkedCell(), 3);
        QCOMPARE(m.Keys->Marks->Letter(QStringLiteral("g1")), QStringLiteral(";"));
        const int turn = w.player().PlayerTurn();
        QTest::keyClick(&m, Qt::Key_J);   // d1 where g1 is awaited: it still sounds
        QVERIFY(w.player().PlayerTurn() != turn);
        QCOMPARE(bar.MarkedCell(), 3);
        QVERIFY(bar.WrongMark->isVisible());
        QCOMPARE(bar.WrongMark->geometry(), bar.Mark->geometry());
        QVERIFY(m.Keys->Marks->IsWrong(QStringLiteral("d1")) && w.kb2().Marks->IsWrong(QStringLiteral("d1")));
        QTRY_VERIFY(!bar.WrongMark->isVisible());   // once

        // The bar line is passed over; the dash holds the third 5.
        for (Qt::Key k : {Qt::Key_Semicolon, Qt::Key_Semicolon, Qt::Key_Apostrophe, Qt::Key_Apostrophe, Qt::Key_Semicolon})
            QTest::keyClick(&m, k);
        QCOMPARE(bar.MarkedCell(), 11);
        QTest::mouseClick(m.Keys->Key(QStringLiteral("f1")), Qt::LeftButton);
        QCOMPARE(bar.MarkedCell(), 12);
        QTest::mouseClick(w.kb2().Key(QStringLiteral("f1")), Qt::LeftButton);
        QCOMPARE(bar.MarkedCell(), 13);

        // The rest of the song, key by key, ends in the summary.
        const Timeline& song = bar.Follow().Song();
        for (int guard = 0; bar.Running() == Mode::Follow && guard < 100; ++guard)
            QTest::mouseClick(m.Keys->Key(song.events[size_t(bar.Follow().Target())].note), Qt::LeftButton);
        QCOMPARE(bar.Running(), Mode::None);
        QVERIFY(!bar.Mark->isVisible());
        QCOMPARE(bar.ImgFollow->Picture(), ResourceImage(QStringLiteral("pic/follow.png")));
        const auto summary = QRegularExpression(QStringLiteral("^正确 (\\d+) 个，错误 1 个，用时 \\d+:\\d\\d$"))
                                 .match(bar.LabPractice->text());
        QVERIFY2(summary.hasMatch(), qPrintable(bar.LabPractice->text()));
        const auto notes = std::count_if(song.events.begin(), song.events.end(),
                                         [](const TimelineEvent& e) { return e.IsSounded(); });
        QCOMPARE(summary.captured(1).toInt(), int(notes));
        QCOMPARE(bar.LabBest->text(), QStringLiteral("最佳 ") + bar.LabPractice->text());   // the first is the best
        // Both lines stand in their own box, clear of the page number.
        QVERIFY(bar.ResultBox->isVisible());
        const QRect pageNumber = p.LabTab1PgId->geometry().adjusted(-6, -2, 6, 2);
        for (const QWidget* line : {bar.LabPractice, bar.LabBest}) {
            QVERIFY(bar.ResultBox->geometry().contains(line->geometry()));
            QVERIFY(!line->geometry().intersects(bar.LabBest == line ? bar.LabPractice->geometry() : bar.LabBest->geometry()));
        }
        QVERIFY(!bar.ResultBox->geometry().intersects(pageNumber));
        QVERIFY(m.Keys->Marks->Awaited().isEmpty());
        QTest::keyClick(&m, Qt::Key_H);   // playing on leaves the summary standing
        QVERIFY(!bar.LabPractice->text().isEmpty());
        QTest::keyClick(&m, Qt::Key_Escape);
        QVERIFY(bar.LabPractice->text().isEmpty());
    }

    // A passage picked on the score loops in 跟弹 and in 示范 (whose notes go down on the
    // keys); 节奏 counts in and ends with its count; the icon menu's options are kept.
    void passagesRhythmAndTheIconMenu()
    {
        Piano piano{true};
        QVERIFY(piano.songsCopied);
        auto& [env, songs, w, m, p, bar] = piano;
        StartUp(m);
        OpenSong(m, 1);

        QTest::mouseClick(p.Grid->Cells[4], Qt::LeftButton);
        QTest::mouseClick(p.Grid->Cells[7], Qt::LeftButton, Qt::ShiftModifier);
        QVERIFY(bar.Pick().Loops());
        QVERIFY(bar.PickFrames[0]->isVisible() && bar.PickFrames[1]->isHidden());
        QTest::mouseClick(bar.ImgFollow, Qt::LeftButton);
        QCOMPARE(bar.MarkedCell(), 6);
        for (Qt::Key k : {Qt::Key_Apostrophe, Qt::Key_Apostrophe, Qt::Key_Semicolon})
            QTest::keyClick(&m, k);
        QCOMPARE(bar.MarkedCell(), 6);   // once more from the top
        QVERIFY(bar.LabPractice->text().startsWith(QStringLiteral("正确 3 个，错误 0 个")));

        bar.Tempo->SetValue(200);
        QTest::mouseClick(bar.ImgDemo, Qt::LeftButton);
        QCOMPARE(bar.Demo().Song().events.size(), size_t(3));
        QTRY_VERIFY(m.Keys->Key(QStringLiteral("a1"))->IsShowingDown());
        QTRY_VERIFY(m.Keys->Key(QStringLiteral("g1"))->IsShowingDown());
        QTRY_VERIFY(m.Keys->Key(QStringLiteral("a1"))->IsShowingDown());   // looped
        QCOMPARE(bar.Running(), Mode::Demo);
        QTest::keyClick(&m, Qt::Key_Escape);
        QVERIFY(m.Keys->Key(QStringLiteral("a1"))->IsShowingUp() && m.Keys->Key(QStringLiteral("g1"))->IsShowingUp());

        QCOMPARE(bar.ImgRhythm->geometry(), QRect(265, 270, 43, 34));
        QCOMPARE(bar.ImgRhythm->toolTip(), QStringLiteral("按节奏跟弹"));
        QTest::mouseClick(bar.ImgRhythm, Qt::LeftButton);
        QCOMPARE(bar.Running(), Mode::Rhythm);
        QCOMPARE(bar.ImgRhythm->Picture(), ResourceImage(QStringLiteral("pic/rhythm_down.png")));
        QTest::mouseClick(bar.ImgRhythm, Qt::LeftButton);   // still counting in: nothing awaited yet
        QCOMPARE(bar.Running(), Mode::None);
        QCOMPARE(bar.LabPractice->text(), QStringLiteral("准 0 个，早 0 个，晚 0 个，漏 0 个"));

        const QList<QAction*> options = m.IconMenu()->actions();
        QVERIFY(options.size() >= 2);
        QCOMPARE(options[0]->text(), QStringLiteral("键位提示"));
        QCOMPARE(options[1]->text(), QStringLiteral("节拍器"));
        // Key letters are on for a new user; the choice to hide them is kept and wins later.
        QVERIFY(options[0]->isChecked() && !options[1]->isChecked());
        QCOMPARE(m.Keys->Marks->Letter(QStringLiteral("b1")), QStringLiteral("↵"));
        QCOMPARE(w.kb2().Marks->Letter(QStringLiteral("c")), QStringLiteral("A"));
        options[0]->trigger();
        options[1]->trigger();
        QVERIFY(m.Keys->Marks->Letter(QStringLiteral("b1")).isEmpty());
        QVERIFY(w.kb2().Marks->Letter(QStringLiteral("c")).isEmpty());
        QSettings kept(m.Prefs().FilePath(), QSettings::IniFormat);
        QCOMPARE(kept.value(QStringLiteral("keyLetters")).toString(), QStringLiteral("false"));
        QCOMPARE(kept.value(QStringLiteral("metronome")).toString(), QStringLiteral("true"));
        QVERIFY(!Preferences(QFileInfo(m.Prefs().FilePath()).path()).KeyLetters());
        QVERIFY(Preferences(env.home() + QStringLiteral("/nobody")).KeyLetters());
    }

    // 两只老虎 reaches down to a low 5: 跟弹 opens the wide keyboard and says so, once for
    // the song; 小星星 fits the main keys and changes nothing. 节奏 does the same.
    void lowNotesOpenTheWideKeyboard()
    {
        Piano piano{true};
        QVERIFY(piano.songsCopied);
        auto& [env, songs, w, m, p, bar] = piano;
        StartUp(m);
        OpenSong(m, 1);
        QTest::mouseClick(bar.ImgFollow, Qt::LeftButton);
        QCOMPARE(bar.Running(), Mode::Follow);
        QCOMPARE(m.KeyboardRoute(), 0);
        QVERIFY(bar.LabBest->text().isEmpty());
        QTest::keyClick(&m, Qt::Key_Escape);

        OpenSong(m, 2);
        QCOMPARE(p.LabSongName->text(), QStringLiteral("两只老虎"));
        QTest::mouseClick(bar.ImgFollow, Qt::LeftButton);
        QCOMPARE(bar.Running(), Mode::Follow);
        QCOMPARE(m.KeyboardRoute(), 1);
        QVERIFY(w.kb2().isVisible());
        QCOMPARE(m.height(), 397);
        QCOMPARE(bar.LabPractice->text(), QStringLiteral("请弹方框里的音"));
        QCOMPARE(bar.LabBest->text(), QStringLiteral("这首歌有低音，已打开宽键盘"));
        QCOMPARE(w.kb2().Marks->Awaited(), QStringLiteral("c1"));
        QTest::mouseClick(w.kb2().Key(QStringLiteral("c1")), Qt::LeftButton);
        QCOMPARE(bar.Running(), Mode::Follow);
        QVERIFY(bar.MarkedCell() > 1);

        // Put away by the user, it stays away for this song; the badge on the main keys
        // then tells where the low note went.
        m.ImgSetBoardClick();
        QCOMPARE(m.KeyboardRoute(), 0);
        QTest::mouseClick(bar.ImgRhythm, Qt::LeftButton);
        QCOMPARE(bar.Running(), Mode::Rhythm);
        QCOMPARE(m.KeyboardRoute(), 0);
        QCOMPARE(bar.LabPractice->text(), QStringLiteral("听完一小节拍子后开始弹"));
        QVERIFY(bar.LabBest->text().isEmpty());
        QTest::keyClick(&m, Qt::Key_Escape);
        m.Keys->Marks->Await(QStringLiteral("g"));
        QVERIFY(m.Keys->Marks->Hint->isVisibleTo(&m));
        QCOMPARE(m.Keys->Marks->Hint->text(), QStringLiteral("↓"));
        QVERIFY(m.Keys->Marks->Hint->toolTip().contains(QStringLiteral("宽键盘")));
        m.Keys->Marks->Await(QString());

        // 节奏 on the next low song opens it too.
        OpenSong(m, 4);
        QTest::mouseClick(bar.ImgRhythm, Qt::LeftButton);
        QCOMPARE(bar.Running(), Mode::Rhythm);
        QCOMPARE(m.KeyboardRoute(), 1);
        QCOMPARE(bar.LabBest->text(), QStringLiteral("这首歌有低音，已打开宽键盘"));
        QCOMPARE(bar.LabPractice->text(), QStringLiteral("听完一小节拍子后开始弹"));
        QTest::keyClick(&w.kb2(), Qt::Key_Escape);
        QCOMPARE(bar.Running(), Mode::None);
    }

    // The window's own objects from the buttons to the mixer: 节奏's count-in and the
    // metronome reach it, whichever voice plays. Only a 节奏 run to the end may be the best.
    void clicksReachTheMixerAndOnlyAWholeRunIsKept()
    {
        Piano piano{false};
        auto& [env, songs, w, m, p, bar] = piano;
        StartUp(m);
        QVERIFY2(w.player().OutputRate() > 0, "the audio output (SDL's dummy driver) did not open");
        SongTableType& t = m.Library().Table();
        t.push_back(Header(1, QStringLiteral("短歌")));
        for (int n = 1; n <= 8; ++n)
            t.push_back(Note(1, n, n % 7 + 1, 0, 1));   // eight quarter notes, two bars of 4/4
        m.ShowPanel(&p, 5, 95);
        p.DrawPage(QStringLiteral("1"), 1);
        bar.Tempo->SetValue(200);
        const Mixer& mixer = w.player().Audio().GetMixer();
        const auto kept = [&] {   // results.txt, empty while there is none
            QFile f(QDir(m.Paths().DataDir).filePath(QStringLiteral("results.txt")));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };

        // Metronome off: the count-in alone, four clicks; stopped then, nothing is kept.
        QVERIFY(!m.Prefs().Metronome());
        std::uint64_t started = mixer.StartedCount();
        QTest::mouseClick(bar.ImgRhythm, Qt::LeftButton);
        QCOMPARE(bar.Running(), Mode::Rhythm);
        QTRY_VERIFY_WITH_TIMEOUT(mixer.StartedCount() >= started + 4, 10000);
        QTest::keyClick(&m, Qt::Key_H);
        QTRY_VERIFY_WITH_TIMEOUT(bar.MarkedCell() >= 4, 10000);   // the first notes are judged
        QTest::mouseClick(bar.ImgRhythm, Qt::LeftButton);
        QCOMPARE(bar.Running(), Mode::None);
        QVERIFY(bar.LabPractice->text().startsWith(QStringLiteral("准 ")));
        QVERIFY(!bar.Best().BestRhythm(QStringLiteral("短歌")));
        QVERIFY(!kept().contains("R\t"));

        // Metronome on: the count-in and a click on each of the song's 8 beats; played out, it counts.
        m.IconMenu()->actions()[1]->trigger();
        QVERIFY(m.Prefs().Metronome());
        started = mixer.StartedCount();
        QTest::mouseClick(bar.ImgRhythm, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(bar.Running(), Mode::None, 20000);
        QVERIFY(mixer.StartedCount() >= started + 4 + 8);
        QVERIFY(bar.Best().BestRhythm(QStringLiteral("短歌")));
        QVERIFY(kept().contains("R\t"));

        // 示范 with the metronome: its 8 notes and 8 clicks.
        started = mixer.StartedCount();
        QTest::mouseClick(bar.ImgDemo, Qt::LeftButton);
        QCOMPARE(bar.Running(), Mode::Demo);
        QTRY_COMPARE_WITH_TIMEOUT(bar.Running(), Mode::None, 20000);
        QVERIFY(mixer.StartedCount() >= started + 16);
    }

    void demoMarksTheSoundingCellAndEveryStopRuleEndsIt()
    {
        Piano piano{true};
        QVERIFY(piano.songsCopied);
        auto& [env, songs, w, m, p, bar] = piano;
        StartUp(m);
        QCOMPARE(bar.Tempo->Value(), 90);

        // No song on view: the buttons do nothing, nor with the menu open on a song seen before.
        m.ShowPanel(&p, 5, 95);
        QTest::mouseClick(bar.ImgDemo, Qt::LeftButton);
        QTest::mouseClick(bar.ImgFollow, Qt::LeftButton);
        QCOMPARE(bar.Running(), Mode::None);

        OpenSong(m, 1);
        bar.Tempo->SetValue(10);   // a beat of 1.5 s: no poll misses a cell
        QCOMPARE(bar.Tempo->Value(), 40);
        QTest::mouseClick(bar.Tempo, Qt::LeftButton, {}, bar.Tempo->UpArrow().center());
        QCOMPARE(bar.Tempo->Value(), 41);
        QTest::mouseClick(bar.Tempo, Qt::LeftButton, {}, bar.Tempo->DownArrow().center());
        QCOMPARE(bar.Tempo->Value(), 40);
        QTest::mouseClick(bar.ImgDemo, Qt::LeftButton);
        QCOMPARE(bar.Running(), Mode::Demo);
        QCOMPARE(bar.Demo().Tempo(), 40);
        QTRY_VERIFY(MarkOver(bar, p, 1));
        QTRY_COMPARE(bar.MarkedCell(), 2);   // it walks on with the output clock

        QTest::keyClick(&m, Qt::Key_Space);   // never turns away from the demo
        QCOMPARE(p.ViewPage(), 1);
        QCOMPARE(bar.Running(), Mode::Demo);
        QTest::mouseClick(bar.ImgDemo, Qt::LeftButton);   // pressed again
        QCOMPARE(bar.Running(), Mode::None);
        QVERIFY(!bar.Mark->isVisible());
        QCOMPARE(bar.ImgDemo->Picture(), ResourceImage(QStringLiteral("pic/demo.png")));

        const std::function<void()> stops[] = {
            [&] { QTest::keyClick(&m, Qt::Key_Escape); },
            [&] {
                m.ImgSetBoardClick();   // Esc on the second keyboard
                QTest::keyClick(&w.kb2(), Qt::Key_Escape);
                m.ImgSetBoardClick();
            },
            [&] { QTest::mouseClick(p.LabNexPg_1, Qt::LeftButton); },
            [&] { m.ImgHelpClick(); },
            [&] { QTest::mouseClick(m.ImgOpernShow, Qt::LeftButton); },   // the menu, to choose another song
        };
        for (const auto& stop : stops) {
            OpenSong(m, 2);
            QTest::mouseClick(bar.ImgFollow, Qt::LeftButton);
            QCOMPARE(bar.Running(), Mode::Follow);
            stop();
            QCOMPARE(bar.Running(), Mode::None);
            QVERIFY(!bar.Mark->isVisible());
        }
        QTest::mouseClick(bar.ImgDemo, Qt::LeftButton);   // the menu is open
        QCOMPARE(bar.Running(), Mode::None);
    }

    // 节奏 counts as it goes: a note let pass is counted while the grid runs on.
    void rhythmShowsARunningCount()
    {
        TempEnv env;
        QVERIFY(env.copyStarterDatabase());
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        PracticeBar& bar = *m.GBxShowOpern->Practice;
        StartUp(m);
        OpenSong(m, 1);
        bar.Tempo->SetValue(200);
        QTest::mouseClick(bar.ImgRhythm, Qt::LeftButton);
        QCOMPARE(bar.Running(), Mode::Rhythm);
        QTRY_VERIFY_WITH_TIMEOUT(bar.LabPractice->text().startsWith(QStringLiteral("漏　准 0 · 早 0 · 晚 0 · 漏 ")), 10000);
        QVERIFY(bar.ResultBox->isVisible());
        QTest::mouseClick(bar.ImgRhythm, Qt::LeftButton);
        QVERIFY(bar.LabPractice->text().startsWith(QStringLiteral("准 0 个，早 0 个，晚 0 个，漏 ")));
    }

    // The wheel and the arrows step by 1, with Shift by 10; a click on the number takes a
    // typed tempo: Enter sets it within the range, Esc keeps the old one.
    void tempoStepsAndTyping_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("expect");
        QTest::newRow("wheel up") << "wheel 1" << 91;
        QTest::newRow("wheel down twice") << "wheel -2" << 88;
        QTest::newRow("Shift+wheel up") << "shiftwheel 1" << 100;
        QTest::newRow("Shift+wheel down") << "shiftwheel -1" << 80;
        QTest::newRow("Shift+wheel, sideways") << "shiftwheelx 1" << 100;
        QTest::newRow("up arrow") << "up" << 91;
        QTest::newRow("Shift+up arrow") << "shiftup" << 100;
        QTest::newRow("Shift+down arrow") << "shiftdown" << 80;
        QTest::newRow("Shift+wheel at the top") << "type 195 shiftwheel 1" << 200;
        QTest::newRow("typed 120") << "type 120" << 120;
        QTest::newRow("typed below the range") << "type 30" << 40;
        QTest::newRow("typed above the range") << "type 999" << 200;
        QTest::newRow("typed, then Esc") << "typeesc 120" << 90;
    }
    void tempoStepsAndTyping()
    {
        QFETCH(QString, action);
        QFETCH(int, expect);
        QWidget host;
        host.resize(100, 40);
        TempoControl t(&host, 40, 200, 90);
        t.setGeometry(10, 10, 70, 22);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        const QStringList words = action.split(u' ');
        for (qsizetype i = 0; i < words.size(); i += 2) {
            const QString& verb = words[i];
            const QString arg = i + 1 < words.size() ? words[i + 1] : QString();
            const QPoint middle(t.width() / 2, t.height() / 2);
            if (verb.contains(QLatin1String("wheel"))) {
                const int notch = arg.toInt() * 120;
                const QPoint delta = verb.endsWith(u'x') ? QPoint(notch, 0) : QPoint(0, notch);
                QWheelEvent e(middle, t.mapToGlobal(middle), QPoint(), delta, Qt::NoButton,
                              verb.startsWith(QLatin1String("shift")) ? Qt::ShiftModifier : Qt::NoModifier,
                              Qt::NoScrollPhase, false);
                QCoreApplication::sendEvent(&t, &e);
            } else if (verb.endsWith(QLatin1String("up")) || verb.endsWith(QLatin1String("down"))) {
                const QRect arrow = verb.endsWith(QLatin1String("up")) ? t.UpArrow() : t.DownArrow();
                QTest::mouseClick(&t, Qt::LeftButton, verb.startsWith(QLatin1String("shift")) ? Qt::ShiftModifier : Qt::KeyboardModifiers(),
                                  arrow.center());
            } else {
                QTest::mouseClick(&t, Qt::LeftButton, {}, QPoint(14, middle.y()));   // on the number
                QVERIFY(t.TypingBox()->isVisible());
                QCOMPARE(t.TypingBox()->selectedText(), QString::number(t.Value()));
                QTest::keyClicks(t.TypingBox(), arg);
                QTest::keyClick(t.TypingBox(), verb == QLatin1String("typeesc") ? Qt::Key_Escape : Qt::Key_Return);
                QVERIFY(!t.TypingBox()->isVisible());
            }
        }
        QCOMPARE(t.Value(), expect);
    }

    // Each song's last tempo is kept beside its results and comes back when it is opened.
    void tempoKeptForEachSong()
    {
        Piano piano{true};
        QVERIFY(piano.songsCopied);
        auto& [env, songs, w, m, p, bar] = piano;
        StartUp(m);
        OpenSong(m, 1);
        const QString first = p.ShownTitle();
        bar.Tempo->SetValue(120);
        OpenSong(m, 2);   // the first song's tempo is kept as it leaves the view
        const QString second = p.ShownTitle();
        QVERIFY(first != second);
        QCOMPARE(bar.Tempo->Value(), 120);   // a song with none kept plays on at the tempo in use
        bar.Tempo->SetValue(60);
        const QString folder = QFileInfo(bar.Best().FilePath()).path();
        QTRY_COMPARE(Results(folder).Tempo(second), std::optional<int>(60));   // once the changes rest
        QCOMPARE(Results(folder).Tempo(first), std::optional<int>(120));
        OpenSong(m, 1);
        QCOMPARE(bar.Tempo->Value(), 120);
        QCOMPARE(bar.Demo().Tempo(), 120);
        OpenSong(m, 2);
        QCOMPARE(bar.Tempo->Value(), 60);
    }

    // 跟弹 turns the view to the next page with the box on its first cell.
    void followTurnsThePage()
    {
        Piano piano{false};
        auto& [env, songs, w, m, p, bar] = piano;
        SongTableType& t = m.Library().Table();
        t.push_back(Header(1, QStringLiteral("长歌")));
        for (int n = 1; n <= 110; ++n)
            t.push_back(Note(1, n, 1, 0, 1));
        m.ShowPanel(&p, 5, 95);
        p.DrawPage(QStringLiteral("1"), 1);

        QTest::mouseClick(bar.ImgFollow, Qt::LeftButton);
        QVERIFY(MarkOver(bar, p, 1));
        for (int n = 1; n <= 105; ++n)
            p.NotePlayed(QStringLiteral("c1"));
        QCOMPARE(bar.MarkedCell(), 106);
        QCOMPARE(p.ViewPage(), 2);
        QCOMPARE(p.LabTab1PgId->text(), QStringLiteral("- 2 -"));
        QCOMPARE(ShownGlyph(p.Grid->Cells[0]), QStringLiteral("NOTE_101"));
        QVERIFY(MarkOver(bar, p, 1));
    }
};

TAVO_TEST_MAIN(TestPracticePanel)
#include "test_practice_panel.moc"
