// The main window's keys: mouse clicks and PC keys to notes and pictures, the wide PC-key
// map of the sound-engine form, routing, the space bar and text fields keeping their keys.
#include "KeysTestSupport.h"
#include "core/input/KeyMaps.h"
#include "ui/keys/KeyMarks.h"
#include "ui/widgets/ClickLabel.h"
#include <QGroupBox>
#include <QLineEdit>

using namespace KeysTest;

namespace {
QList<TImageButton*> MainKeyList(const TFormPiano& m)
{
    return {m.Keys->Key("c1"), m.Keys->Key("d1"), m.Keys->Key("e1"), m.Keys->Key("f1"), m.Keys->Key("g1"), m.Keys->Key("a1"), m.Keys->Key("b1"), m.Keys->Key("c2"), m.Keys->Key("d2"), m.Keys->Key("e2")};
}

// Index of the one main key showing its pressed picture, -1 for none, -2 for several.
int PressedKey(const TFormPiano& m)
{
    int found = -1;
    const QList<TImageButton*> keys = MainKeyList(m);
    for (int i = 0; i < keys.size(); ++i)
        if (!keys[i]->IsShowingUp())
            found = found == -1 ? i : -2;
    return found;
}

const QStringList MainNotes{"c1", "d1", "e1", "f1", "g1", "a1", "b1", "c2", "d2", "e2"};
const QStringList MainSharps{"c#1", "d#1", "f#1", "g#1", "a#1", "c#2", "d#2"};

// The note of the one main key, white or black, showing pressed: "" for none, "several".
QString PressedNote(const TFormPiano& m)
{
    QString found;
    for (const QString& note : MainNotes + MainSharps)
        if (!m.Keys->Key(note)->IsShowingUp())
            found = found.isEmpty() ? note : QStringLiteral("several");
    return found;
}
}

class TestKeys : public QObject {
    Q_OBJECT
    // One start-up for the whole run: it writes every sound file.
    std::unique_ptr<Started> m_s;
private Q_SLOTS:
    void initTestCase()
    {
        m_s = std::make_unique<Started>();
        QVERIFY(m_s->start());
    }
    void cleanupTestCase() { m_s.reset(); }
    void init() { m_s->reset(); }
    void cleanup() { QVERIFY(m_s->env.dialogs.errors.isEmpty()); }

    // After start-up the keys reach the window itself, not some control in it.
    void windowHasTheKeyboardFocusAfterStartUp()
    {
        Started& s = *m_s;
        s.main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&s.main));
        QWidget* f = QApplication::focusWidget();
        QVERIFY2(!f || f == &s.main, f ? f->metaObject()->className() : "");
        QVERIFY(!s.main.Keys->Key("c1")->focusPolicy());
        const Stroke st = Measure(s.kb1, [&] { QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_J); });
        QCOMPARE(st.file, ExpectedFile(s.kb1, "d1"));
    }

    void mainKeysSitInARow()
    {
        Started& s = *m_s;
        const QList<TImageButton*> keys = MainKeyList(s.main);
        for (int i = 0; i < keys.size(); ++i) {
            QCOMPARE(keys[i]->geometry(), QRect(10 + 65 * i, 395, 65, 249));
            QVERIFY(!keys[i]->CanMouseMove());
            QVERIFY(keys[i]->IsShowingUp());
            QVERIFY(keys[i]->PictureUp() != keys[i]->PictureDown());
        }
        // c and f, d g and a, e and b share their outlines.
        QCOMPARE(s.main.Keys->Key("c1")->PictureUp(), s.main.Keys->Key("f1")->PictureUp());
        QCOMPARE(s.main.Keys->Key("d1")->PictureDown(), s.main.Keys->Key("a1")->PictureDown());
        QCOMPARE(s.main.Keys->Key("e1")->PictureUp(), s.main.Keys->Key("b1")->PictureUp());
        QVERIFY(s.main.Keys->Key("c1")->PictureUp() != s.main.Keys->Key("d1")->PictureUp());
        QVERIFY(s.main.Keys->Key("d1")->PictureUp() != s.main.Keys->Key("e1")->PictureUp());
    }

    void pcKeyPlaysAndHoldsItsKey_data()
    {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<QString>("note");
        const Qt::KeyboardModifiers none;
        QTest::newRow("H") << int(Qt::Key_H) << none << "c1";
        QTest::newRow("J") << int(Qt::Key_J) << none << "d1";
        QTest::newRow("K") << int(Qt::Key_K) << none << "e1";
        QTest::newRow("L") << int(Qt::Key_L) << none << "f1";
        QTest::newRow(";") << int(Qt::Key_Semicolon) << none << "g1";
        QTest::newRow("'") << int(Qt::Key_Apostrophe) << none << "a1";
        QTest::newRow("Enter") << int(Qt::Key_Return) << none << "b1";
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << "b1";
        QTest::newRow("Y") << int(Qt::Key_Y) << none << "c2";
        QTest::newRow("U") << int(Qt::Key_U) << none << "d2";
        QTest::newRow("I") << int(Qt::Key_I) << none << "e2";
        // Shift alone plays the semitone above; other modifiers are not looked at.
        const Qt::KeyboardModifiers shift(Qt::ShiftModifier);
        QTest::newRow("Shift+H") << int(Qt::Key_H) << shift << "c#1";
        QTest::newRow("Shift+J") << int(Qt::Key_J) << shift << "d#1";
        QTest::newRow("Shift+K is f1") << int(Qt::Key_K) << shift << "f1";
        QTest::newRow("Shift+L") << int(Qt::Key_L) << shift << "f#1";
        QTest::newRow("Shift+; gives :") << int(Qt::Key_Colon) << shift << "g#1";
        QTest::newRow("Shift+' gives \"") << int(Qt::Key_QuoteDbl) << shift << "a#1";
        QTest::newRow("Shift+Enter is c2") << int(Qt::Key_Return) << shift << "c2";
        QTest::newRow("Shift+Y") << int(Qt::Key_Y) << shift << "c#2";
        QTest::newRow("Shift+U") << int(Qt::Key_U) << shift << "d#2";
        QTest::newRow("Shift+I is f2, no key here") << int(Qt::Key_I) << shift << "f2";
        QTest::newRow("Ctrl+H") << int(Qt::Key_H) << Qt::KeyboardModifiers(Qt::ControlModifier) << "c1";
        QTest::newRow("Alt+H") << int(Qt::Key_H) << Qt::KeyboardModifiers(Qt::AltModifier) << "c1";
        QTest::newRow("Ctrl+Shift+H") << int(Qt::Key_H) << (shift | Qt::ControlModifier) << "c1";
    }
    void pcKeyPlaysAndHoldsItsKey()
    {
        QFETCH(int, qtKey);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(QString, note);
        Started& s = *m_s;
        const Stroke down = Measure(s.kb1, [&] { QTest::keyPress(&s.main, Qt::Key(qtKey), mods); });
        QCOMPARE(down.notes, 1);
        QCOMPARE(down.file, ExpectedFile(s.kb1, note));
        QCOMPARE(PressedNote(s.main), s.main.Keys->Key(note) ? note : QString());
        // The key goes up with its PC key, also when the modifier was let go first.
        const Stroke up = Measure(s.kb1, [&] { QTest::keyRelease(&s.main, Qt::Key(qtKey)); });
        QCOMPARE(up.notes, 0);
        QCOMPARE(PressedNote(s.main), QString());
    }

    // Holding H, then Shift: the repeat plays c#1 and c1 goes up; the release lets c#1 up.
    void shiftDuringAHeldKeyMovesToTheSharp()
    {
        Started& s = *m_s;
        QTest::keyPress(&s.main, Qt::Key_H);
        QCOMPARE(PressedNote(s.main), QStringLiteral("c1"));
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_H, Qt::ShiftModifier, QStringLiteral("H"), true);
        const Stroke st = Measure(s.kb1, [&] { QApplication::sendEvent(&s.main, &repeat); });
        QCOMPARE(st.file, ExpectedFile(s.kb1, "c#1"));
        QCOMPARE(PressedNote(s.main), QStringLiteral("c#1"));
        QTest::keyRelease(&s.main, Qt::Key_H);
        QCOMPARE(PressedNote(s.main), QString());
    }

    // The cap a key shows for its note: a shifted key as "⇧H"; a natural that a plain key
    // plays keeps its plain key even where a shifted one plays it too.
    void keyCapsOfNotes_data()
    {
        QTest::addColumn<QString>("map");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("cap");
        QTest::newRow("main c1") << "main"
                                 << "c1"
                                 << "H";
        QTest::newRow("main c#1") << "main"
                                  << "c#1"
                                  << "⇧H";
        QTest::newRow("main g#1") << "main"
                                  << "g#1"
                                  << "⇧;";
        QTest::newRow("main a#1") << "main"
                                  << "a#1"
                                  << "⇧'";
        QTest::newRow("main f1, not Shift+K") << "main"
                                              << "f1"
                                              << "L";
        QTest::newRow("main c2, not Shift+Enter") << "main"
                                                  << "c2"
                                                  << "Y";
        QTest::newRow("main f2: no plain key") << "main"
                                               << "f2"
                                               << "⇧I";
        QTest::newRow("main F#: none") << "main"
                                       << "F#"
                                       << "";
        QTest::newRow("wide c#") << "wide"
                                 << "c#"
                                 << "⇧A";
        QTest::newRow("wide d#2") << "wide"
                                  << "d#2"
                                  << "⇧U";
        QTest::newRow("wide f") << "wide"
                                << "f"
                                << "F";
        QTest::newRow("wide f#2") << "wide"
                                  << "f#2"
                                  << "⇧O";
    }
    void keyCapsOfNotes()
    {
        QFETCH(QString, map);
        QFETCH(QString, note);
        QFETCH(QString, cap);
        QCOMPARE(KeyCapOfNote(map == QLatin1String("main") ? MainKeyMap() : WideKeyMap(), note), cap);
    }

    // Where a click lands on the keys, in window pixels: a black key over the seam, the
    // white key below it and beside it.
    void clickPointPlaysItsKey_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QString>("note");
        QTest::newRow("first black key") << QPoint(75, 470) << "c#1";
        QTest::newRow("its left edge") << QPoint(56, 400) << "c#1";
        QTest::newRow("its right edge") << QPoint(94, 549) << "c#1";
        QTest::newRow("c1 beside it") << QPoint(54, 470) << "c1";
        QTest::newRow("c1 below it") << QPoint(70, 560) << "c1";
        QTest::newRow("d1 below it") << QPoint(80, 600) << "d1";
        QTest::newRow("d#1") << QPoint(140, 420) << "d#1";
        QTest::newRow("e1 and f1 have no black key") << QPoint(204, 410) << "e1";
        QTest::newRow("f1 at the seam") << QPoint(205, 410) << "f1";
        QTest::newRow("f#1") << QPoint(270, 500) << "f#1";
        QTest::newRow("g#1") << QPoint(335, 420) << "g#1";
        QTest::newRow("a#1") << QPoint(400, 420) << "a#1";
        QTest::newRow("c#2") << QPoint(530, 420) << "c#2";
        QTest::newRow("d#2") << QPoint(595, 420) << "d#2";
        QTest::newRow("e2 at its foot") << QPoint(640, 640) << "e2";
    }
    void clickPointPlaysItsKey()
    {
        QFETCH(QPoint, at);
        QFETCH(QString, note);
        Started& s = *m_s;
        auto* key = qobject_cast<TImageButton*>(s.main.childAt(at));
        QVERIFY(key);
        QCOMPARE(key, s.main.Keys->Key(note));
        const QPoint local = key->mapFrom(&s.main, at);
        QTest::mousePress(key, Qt::LeftButton, {}, local);
        QCOMPARE(PressedNote(s.main), note);
        const Stroke st = Measure(s.kb1, [&] { QTest::mouseRelease(key, Qt::LeftButton, {}, local); });
        QCOMPARE(st.notes, 1);
        QCOMPARE(st.file, ExpectedFile(s.kb1, note));
        QCOMPARE(PressedNote(s.main), QString());
    }

    // A black key at rest shows the white keys' own drawing of it; pressed, it has a picture
    // of its own, the size of the key.
    void blackKeysSitOnTheSeams()
    {
        Started& s = *m_s;
        const int after[] = {0, 1, 3, 4, 5, 7, 8};
        for (int i = 0; i < MainSharps.size(); ++i) {
            TImageButton* b = s.main.Keys->Key(MainSharps[i]);
            QCOMPARE(b->objectName(), QStringLiteral("Img_") + MainSharps[i]);
            QCOMPARE(b->geometry(), QRect(10 + 65 * (after[i] + 1) - 20, 395, 40, 156));
            QCOMPARE(qAlpha(b->PictureUp().pixel(20, 60)), 0);
            QCOMPARE(b->PictureDown().deviceIndependentSize(), QSizeF(40, 156));
            QVERIFY(qGray(b->PictureDown().pixel(b->PictureDown().width() / 2, b->PictureDown().height() / 2)) < 60);
        }
    }

    // Follow mode and the demo light a black key by its note; a sharp with no key here
    // shows the arrow towards the wide keyboard.
    void marksLightBlackKeys()
    {
        Started& s = *m_s;
        KeyMarks* marks = s.main.Keys->Marks;
        marks->Await(QStringLiteral("c#1"));
        QCOMPARE(marks->Awaited(), QStringLiteral("c#1"));
        QCOMPARE(marks->Letter(QStringLiteral("c#1")), QStringLiteral("⇧H"));
        QVERIFY(marks->Hint->isHidden());
        marks->Demo(QStringLiteral("d#2"), true);
        QVERIFY(s.main.Keys->Key("d#2")->IsShowingDown());
        marks->Demo(QStringLiteral("d#2"), false);
        QVERIFY(s.main.Keys->Key("d#2")->IsShowingUp());
        marks->Await(QStringLiteral("a#"));
        QVERIFY(marks->Hint->isVisibleTo(&s.main));
        QCOMPARE(marks->Hint->text(), QStringLiteral("↓"));
        // Styled on its first show: an orange box, not a bare arrow.
        const QColor box = marks->Hint->grab().toImage().pixelColor(2, marks->Hint->height() / 2);
        QVERIFY2(box.red() > 150 && box.blue() < 100, qPrintable(box.name()));
        marks->Await(QStringLiteral("f#2"));
        QCOMPARE(marks->Hint->text(), QStringLiteral("↑"));
        marks->Await(QString());
        QVERIFY(marks->Hint->isHidden());
    }

    void mouseClickPlaysOnRelease_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < MainNotes.size(); ++i)
            QTest::newRow(qPrintable(MainNotes[i])) << i;
    }
    void mouseClickPlaysOnRelease()
    {
        QFETCH(int, index);
        Started& s = *m_s;
        TImageButton* key = MainKeyList(s.main)[index];
        const Stroke press = Measure(s.kb1, [&] { QTest::mousePress(key, Qt::LeftButton, {}, QPoint(30, 200)); });
        QCOMPARE(press.notes, 0);
        QVERIFY(key->IsShowingDown());
        const Stroke release = Measure(s.kb1, [&] { QTest::mouseRelease(key, Qt::LeftButton, {}, QPoint(30, 200)); });
        QCOMPARE(release.notes, 1);
        QCOMPARE(release.file, ExpectedFile(s.kb1, MainNotes[index]));
        QVERIFY(key->IsShowingUp());
    }

    void pressMoveOffReleasePlaysNothing()
    {
        Started& s = *m_s;
        const Stroke st = Measure(s.kb1, [&] {
            QTest::mousePress(s.main.Keys->Key("g1"), Qt::LeftButton, {}, QPoint(30, 200));
            QTest::mouseMove(s.main.Keys->Key("g1"), QPoint(120, 200));
            QTest::mouseRelease(s.main.Keys->Key("g1"), Qt::LeftButton, {}, QPoint(120, 200));
        });
        QCOMPARE(st.notes, 0);
        QCOMPARE(st.turns, 0);
        QVERIFY(s.main.Keys->Key("g1")->IsShowingUp());
    }

    // An unmapped key sounds nothing but uses a player turn: the next note moves on one.
    void unmappedKeyUsesUpATurn()
    {
        Started& s = *m_s;
        const Stroke q = Measure(s.kb1, [&] { QTest::keyClick(&s.main, Qt::Key_Q); });
        QCOMPARE(q.notes, 0);
        QCOMPARE(q.turns, 1);
        QCOMPARE(PressedKey(s.main), -1);
        const int before = s.kb1.PlayerTurn();
        QTest::keyClick(&s.main, Qt::Key_H);
        QCOMPARE(s.kb1.PlayerTurn(), before == 3 ? 1 : before + 1);
        QCOMPARE(LatestFile(s.kb1), ExpectedFile(s.kb1, "c1"));
    }

    // A held key repeats its key-down (each plays again); the repeated releases X11 sends
    // in between are not key-ups.
    void autoRepeatPlaysAgainAndReleasesOnce()
    {
        Started& s = *m_s;
        const Stroke st = Measure(s.kb1, [&] {
            QTest::keyPress(&s.main, Qt::Key_K);
            for (int i = 0; i < 2; ++i) {
                QKeyEvent rel(QEvent::KeyRelease, Qt::Key_K, Qt::NoModifier, QStringLiteral("k"), true);
                QApplication::sendEvent(&s.main, &rel);
                QVERIFY(s.main.Keys->Key("e1")->IsShowingDown());
                QKeyEvent rep(QEvent::KeyPress, Qt::Key_K, Qt::NoModifier, QStringLiteral("k"), true);
                QApplication::sendEvent(&s.main, &rep);
            }
        });
        QCOMPARE(st.notes, 3);
        QTest::keyRelease(&s.main, Qt::Key_K);
        QVERIFY(s.main.Keys->Key("e1")->IsShowingUp());
    }

    // Every note the player knows sounds its own file when a keyboard presses it.
    void everyNoteNameSoundsItsFile()
    {
        Started& s = *m_s;
        const QStringList notes{"F",  "G",  "A",  "B",  "c",   "d",   "e",   "f",   "g",   "a",   "b",   "c1", "d1",
                                "e1", "f1", "g1", "a1", "b1",  "c2",  "d2",  "e2",  "f2",  "F#",  "G#",  "A#", "c#",
                                "d#", "f#", "g#", "a#", "c#1", "d#1", "f#1", "g#1", "a#1", "c#2", "d#2", "f#2"};
        for (const QString& note : notes) {
            const Stroke st = Measure(s.kb1, [&] { s.kb1.PressNote(note); });
            QCOMPARE(st.notes, 1);
            QCOMPARE(st.file, ExpectedFile(s.kb1, note));
        }
    }

    // The exact-modifier map of the sound-engine form.
    void playPcKeyNeedsTheExactModifiers_data()
    {
        QTest::addColumn<int>("vk");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<QString>("note");
        const Qt::KeyboardModifiers none, alt(Qt::AltModifier), shift(Qt::ShiftModifier), ctrl(Qt::ControlModifier);
        const struct {
            int vk;
            const char* plain;
            const char* withAlt;
            const char* withShift;
        } rows[] = {
            {70, "f", "F", "f#"},   {71, "g", "G", "g#"},  {69, "a", "A", "a#"},  {82, "b", "B", "c1"},
            {65, "c", "", "c#"},    {83, "d", "", "d#"},   {68, "e", "", "f"},    {72, "c1", "", "c#1"},
            {74, "d1", "", "d#1"},  {75, "e1", "", "f1"},  {76, "f1", "", "f#1"}, {186, "g1", "", "g#1"},
            {222, "a1", "", "a#1"}, {13, "b1", "", "c2"},  {89, "c2", "", "c#2"}, {85, "d2", "", "d#2"},
            {73, "e2", "", "f2"},   {79, "f2", "", "f#2"},
        };
        for (const auto& r : rows) {
            QTest::addRow("%d", r.vk) << r.vk << none << QString(r.plain);
            QTest::addRow("Alt+%d", r.vk) << r.vk << alt << QString(r.withAlt);
            QTest::addRow("Shift+%d", r.vk) << r.vk << shift << QString(r.withShift);
            QTest::addRow("Ctrl+%d", r.vk) << r.vk << ctrl << QString();
        }
        QTest::newRow("Ctrl+Shift+H") << 72 << (ctrl | shift) << QString();
        QTest::newRow("Alt+Shift+F") << 70 << (alt | shift) << QString();
        QTest::newRow("Ctrl+Alt+F") << 70 << (alt | ctrl) << QString();
        QTest::newRow("keypad flag is no modifier") << 65 << Qt::KeyboardModifiers(Qt::KeypadModifier) << "c";
        QTest::newRow("Q") << 81 << none << QString();
        QTest::newRow("space") << 32 << none << QString();
    }
    void playPcKeyNeedsTheExactModifiers()
    {
        QFETCH(int, vk);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(QString, note);
        Started& s = *m_s;
        const Stroke st = Measure(s.kb1, [&] { s.kb1.PressNote(PcKeyNote(vk, mods)); });
        QCOMPARE(st.turns, 1);   // a turn is used with or without a note
        QCOMPARE(st.notes, note.isEmpty() ? 0 : 1);
        QCOMPARE(st.file, ExpectedFile(s.kb1, note));
    }

    // Space turns the page only with a score on view, and never sounds, on either route.
    void spaceBarTurnsOnlyAShownScore_data()
    {
        QTest::addColumn<int>("route");
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("turns");
        for (int route : {0, 1}) {
            QTest::addRow("route %d, panel hidden", route) << route << "hidden" << false;
            QTest::addRow("route %d, menu open", route) << route << "menu" << false;
            QTest::addRow("route %d, score on view", route) << route << "score" << true;
        }
    }
    void spaceBarTurnsOnlyAShownScore()
    {
        QFETCH(int, route);
        QFETCH(QString, state);
        QFETCH(bool, turns);
        Started& s = *m_s;
        if (state != QLatin1String("hidden")) {
            QTest::mouseClick(s.main.ImgOpernShow, Qt::LeftButton);
            QVERIFY(s.main.GBxShowOpern->isVisible());
            QVERIFY(!s.main.GBxShowOpern->LabOpMenu[0]->isHidden());
        }
        if (state == QLatin1String("score")) {
            QTest::mouseDClick(s.main.GBxShowOpern->LabOpMenu[0], Qt::LeftButton);
            QVERIFY(s.main.GBxShowOpern->LabOpMenu[0]->isHidden());
            QVERIFY(s.main.GBxShowOpern->ShownSongID() != 0);
        }
        if (route == 1)
            s.main.ImgSetBoardClick();   // the second keyboard takes the keys
        QCOMPARE(s.main.KeyboardRoute(), route);
        const QString pageLabel = s.main.GBxShowOpern->LabTab1PgId->text();
        const int menuPage = s.main.GBxShowOpern->MenuPage();
        const int viewPage = s.main.GBxShowOpern->ViewPage();
        const Stroke st = Measure(s.kb1, [&] { QTest::keyClick(&s.main, Qt::Key_Space); });
        QCOMPARE(st.notes, 0);
        QCOMPARE(st.turns, 0);
        QCOMPARE(s.main.GBxShowOpern->ViewPage(), turns ? viewPage + 1 : viewPage);
        QCOMPARE(s.main.GBxShowOpern->MenuPage(), menuPage);
        if (!turns)
            QCOMPARE(s.main.GBxShowOpern->LabTab1PgId->text(), pageLabel);
        QCOMPARE(s.kb2.isVisible(), route == 1);
        if (route == 1)
            s.main.ImgSetBoardClick();
    }

    // A focused text field keeps its keys, also Enter, which it hands up unused.
    void focusedTextFieldKeepsItsKeys()
    {
        Started& s = *m_s;
        s.main.ImgOpernWriteClick();
        auto* field = new QLineEdit(s.main.GBxOpernWrite);
        field->setGeometry(10, 10, 100, 20);
        field->show();
        field->setFocus();
        QCOMPARE(s.main.focusWidget(), field);
        const Stroke typed = Measure(s.kb1, [&] {
            QTest::keyClick(field, Qt::Key_H);
            QTest::keyClick(field, Qt::Key_Return);
            QTest::keyClick(field, Qt::Key_Space);
        });
        QCOMPARE(field->text(), QStringLiteral("h "));
        QCOMPARE(typed.turns, 0);
        QCOMPARE(PressedKey(s.main), -1);

        // Once the field is gone the window plays again.
        delete field;
        const Stroke played = Measure(s.kb1, [&] { QTest::keyClick(&s.main, Qt::Key_H); });
        QCOMPARE(played.notes, 1);
    }

    void keyTranslationCoversTheUsualKeys_data()
    {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<int>("vk");
        QTest::newRow("A") << int(Qt::Key_A) << false << 65;
        QTest::newRow("Z") << int(Qt::Key_Z) << false << 90;
        QTest::newRow("0") << int(Qt::Key_0) << false << 48;
        QTest::newRow("! is 1") << int(Qt::Key_Exclam) << false << 49;
        QTest::newRow("keypad 7") << int(Qt::Key_7) << true << 103;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << true << 13;
        QTest::newRow("Return") << int(Qt::Key_Return) << false << 13;
        QTest::newRow("space") << int(Qt::Key_Space) << false << 32;
        QTest::newRow(":") << int(Qt::Key_Colon) << false << 186;
        QTest::newRow("\"") << int(Qt::Key_QuoteDbl) << false << 222;
        QTest::newRow("F1") << int(Qt::Key_F1) << false << 112;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << false << 27;
        QTest::newRow("Shift") << int(Qt::Key_Shift) << false << 16;
        QTest::newRow("Left") << int(Qt::Key_Left) << false << 37;
        QTest::newRow("keypad -") << int(Qt::Key_Minus) << true << 109;
        QTest::newRow("main -") << int(Qt::Key_Minus) << false << 189;
        QTest::newRow("unknown") << int(Qt::Key_LaunchMail) << false << 0;
    }
    void keyTranslationCoversTheUsualKeys()
    {
        QFETCH(int, qtKey);
        QFETCH(bool, keypad);
        QFETCH(int, vk);
        QCOMPARE(VirtualKeys::FromQtKey(qtKey, keypad), vk);
    }
};

TAVO_TEST_MAIN(TestKeys)
#include "test_keys.moc"
