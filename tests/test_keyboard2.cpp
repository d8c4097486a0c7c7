// The second keyboard form and the keyboard switch: layout, its key map with the
// modifier rules on key-down and key-up, clicks, the space bar, and the switch's states.
#include "KeysTestSupport.h"
#include "ui/keys/KeyMarks.h"
#include "ui/widgets/ClickLabel.h"
#include <QGroupBox>
#include <QScreen>

using namespace KeysTest;

namespace {
const QStringList WhiteNotes{"c",  "d",  "e",  "f",  "g",  "a",  "b",  "c1", "d1",
                             "e1", "f1", "g1", "a1", "b1", "c2", "d2", "e2", "f2"};

// Index of the one white key showing its pressed picture, -1 for none, -2 for several.
int PressedKey(const TFrmKeyBoard_2& kb)
{
    int found = -1;
    const auto keys = kb.WhiteKeys();
    for (int i = 0; i < int(keys.size()); ++i)
        if (!keys[size_t(i)]->IsShowingUp())
            found = found == -1 ? i : -2;
    return found;
}

const QStringList BlackNotes{"c#", "d#", "f#", "g#", "a#", "c#1", "d#1", "f#1", "g#1", "a#1", "c#2", "d#2"};

// The note of the one key, white or black, showing pressed: "" for none, "several".
QString PressedNote(const TFrmKeyBoard_2& kb)
{
    QString found;
    for (const QString& note : WhiteNotes + BlackNotes)
        if (!kb.Key(note)->IsShowingUp())
            found = found.isEmpty() ? note : QStringLiteral("several");
    return found;
}

// Key events reach this form's handling either from the main window (route 1) or
// straight from the form itself when it has the focus.
QWidget* Target(Started& s, bool viaMain)
{
    return viaMain ? static_cast<QWidget*>(&s.main) : static_cast<QWidget*>(&s.kb2);
}
}

class TestKeyboard2 : public QObject {
    Q_OBJECT
    std::unique_ptr<Started> m_s;
private Q_SLOTS:
    void initTestCase()
    {
        m_s = std::make_unique<Started>();
        QVERIFY(m_s->start());
    }
    void cleanupTestCase() { m_s.reset(); }
    void init()
    {
        m_s->reset();
        m_s->main.ImgOpernShowClick();
        QTest::mouseClick(m_s->main.GBxShowOpern->ImgSetBoard, Qt::LeftButton);   // second keyboard on
    }
    void cleanup() { QVERIFY(m_s->env.dialogs.errors.isEmpty()); }

    void layoutOfTheForm()
    {
        TFrmKeyBoard_2& kb = m_s->kb2;
        QCOMPARE(kb.size(), QSize(1087, 282));
        QVERIFY(kb.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(kb.ImgBack->geometry(), QRect(0, 0, 1087, 282));
        const auto white = kb.WhiteKeys();
        for (int i = 0; i < 18; ++i) {
            QCOMPARE(white[size_t(i)]->geometry(), QRect(21 + 58 * i, 26, 58, 249));
            QVERIFY(!white[size_t(i)]->CanMouseMove());
        }
        QCOMPARE(kb.Key("f2")->x(), 1007);
        const int blackX[] = {32, 98, 208, 268, 332, 438, 504, 614, 674, 738, 845, 911};
        QCOMPARE(kb.Img_cx->geometry(), QRect(32, 26, 59, 162));
        for (int i = 0; i < 11; ++i)
            QCOMPARE(kb.ImageButton[size_t(i)]->geometry(), QRect(blackX[i + 1], 26, 59, 162));
        // Black keys are drawn over the white ones.
        QCOMPARE(kb.childAt(61, 100), static_cast<QWidget*>(kb.Img_cx));
        QCOMPARE(kb.childAt(40, 200), static_cast<QWidget*>(kb.Key("c")));
        // Only a black key's painted part is the black key: every column at y = 100 where a
        // white key shows through belongs to that white key.
        QList<TImageButton*> black{kb.Img_cx};
        for (TImageButton* b : kb.ImageButton)
            black << b;
        const QImage picture = black.first()->PictureUp();
        for (int x = 21; x < 21 + 18 * 58; ++x) {
            TImageButton* hit = qobject_cast<TImageButton*>(kb.childAt(x, 100));
            QVERIFY2(hit, qPrintable(QString::number(x)));
            const int white = (x - 21) / 58;
            bool painted = false;
            for (TImageButton* b : black)
                if (b->geometry().contains(x, 100) && qAlpha(picture.pixel(x - b->x(), 100 - b->y())) > 0)
                    painted = true;
            QCOMPARE(hit, painted ? hit : kb.WhiteKeys()[size_t(white)]);
            QVERIFY2(painted == black.contains(hit), qPrintable(QString::number(x)));
        }
    }

    void switchShowsAndHidesTheForm()
    {
        Started& s = *m_s;
        const QRect screen = s.main.screen()->geometry();
        QVERIFY(s.kb2.isVisible());
        QCOMPARE(s.main.KeyboardRoute(), 1);
        QCOMPARE(s.main.height(), 397);
        QCOMPARE(s.kb2.y(), screen.y() + screen.height() - 310);
        QCOMPARE(s.kb2.x(), screen.x() + (screen.width() - 1087) / 2);
        QCOMPARE(s.main.ImgBottom->y(), 397 - 14);

        QTest::mouseClick(s.main.GBxShowOpern->ImgSetBoard, Qt::LeftButton);
        QVERIFY(!s.kb2.isVisible());
        QCOMPARE(s.main.KeyboardRoute(), 0);
        QCOMPARE(s.main.height(), 650);
        QCOMPARE(s.main.ImgBottom->y(), 650 - 14);
        // The switch's own picture came back up and it sits where the panel puts it.
        QVERIFY(s.main.GBxShowOpern->ImgSetBoard->IsShowingUp());
        QCOMPARE(s.main.GBxShowOpern->ImgSetBoard->geometry(), QRect(30, 270, 43, 34));
        QCOMPARE(s.main.GBxShowOpern->ImgSetBoard->parentWidget(), static_cast<QWidget*>(s.main.GBxShowOpern));

        QTest::mouseClick(s.main.GBxShowOpern->ImgSetBoard, Qt::LeftButton);
        QVERIFY(s.kb2.isVisible());
        QCOMPARE(s.main.KeyboardRoute(), 1);
    }

    void keyMapPressesAndPlays_data()
    {
        QTest::addColumn<bool>("viaMain");
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<QString>("note");
        const int keys[] = {Qt::Key_A, Qt::Key_S, Qt::Key_D, Qt::Key_F, Qt::Key_G, Qt::Key_E,
                            Qt::Key_R, Qt::Key_H, Qt::Key_J, Qt::Key_K, Qt::Key_L, Qt::Key_Semicolon,
                            Qt::Key_Apostrophe, Qt::Key_Return, Qt::Key_Y, Qt::Key_U, Qt::Key_I, Qt::Key_O};
        for (bool viaMain : {true, false})
            for (int i = 0; i < 18; ++i)
                QTest::addRow("%s %s", viaMain ? "main" : "form", qPrintable(WhiteNotes[i]))
                    << viaMain << keys[i] << WhiteNotes[i];
    }
    void keyMapPressesAndPlays()
    {
        QFETCH(bool, viaMain);
        QFETCH(int, qtKey);
        QFETCH(QString, note);
        Started& s = *m_s;
        const Stroke down = Measure(s.kb1, [&] { QTest::keyPress(Target(s, viaMain), Qt::Key(qtKey)); });
        QCOMPARE(down.notes, 1);
        QCOMPARE(down.file, ExpectedFile(s.kb1, note));
        QCOMPARE(PressedKey(s.kb2), int(WhiteNotes.indexOf(note)));
        // The main window's own keys stay as they are while this form takes the keys.
        QVERIFY(s.main.Keys->Key("c1")->IsShowingUp());
        QTest::keyRelease(Target(s, viaMain), Qt::Key(qtKey));
        QCOMPARE(PressedKey(s.kb2), -1);
    }

    // With Shift alone the key of the semitone above goes down (till its PC key comes up,
    // whatever is held then); with another modifier no key goes down here. The sound follows
    // the exact-modifier map.
    void modifiedKeyDown_data()
    {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("shown");
        const Qt::KeyboardModifiers shift(Qt::ShiftModifier);
        QTest::newRow("Shift+A") << int(Qt::Key_A) << shift << "c#"
                                 << "c#";
        QTest::newRow("Shift+F") << int(Qt::Key_F) << shift << "f#"
                                 << "f#";
        QTest::newRow("Shift+D is f") << int(Qt::Key_D) << shift << "f"
                                      << "f";
        QTest::newRow("Shift+H") << int(Qt::Key_H) << shift << "c#1"
                                 << "c#1";
        QTest::newRow("Shift+U") << int(Qt::Key_U) << shift << "d#2"
                                 << "d#2";
        QTest::newRow("Shift+O: no key") << int(Qt::Key_O) << shift << "f#2"
                                         << "";
        QTest::newRow("Alt+Shift+F") << int(Qt::Key_F) << (shift | Qt::AltModifier) << ""
                                     << "";
        QTest::newRow("Alt+F") << int(Qt::Key_F) << Qt::KeyboardModifiers(Qt::AltModifier) << "F"
                               << "";
        QTest::newRow("Alt+R") << int(Qt::Key_R) << Qt::KeyboardModifiers(Qt::AltModifier) << "B"
                               << "";
        QTest::newRow("Ctrl+H") << int(Qt::Key_H) << Qt::KeyboardModifiers(Qt::ControlModifier) << ""
                                << "";
    }
    void modifiedKeyDown()
    {
        QFETCH(int, qtKey);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(QString, note);
        QFETCH(QString, shown);
        Started& s = *m_s;
        const Stroke st = Measure(s.kb1, [&] { QTest::keyPress(&s.main, Qt::Key(qtKey), mods); });
        QCOMPARE(st.notes, note.isEmpty() ? 0 : 1);
        QCOMPARE(st.file, ExpectedFile(s.kb1, note));
        QCOMPARE(PressedNote(s.kb2), shown);
        QTest::keyRelease(&s.main, Qt::Key(qtKey));   // Shift let go first
        QCOMPARE(PressedNote(s.kb2), QString());
    }

    // Keys of the lower octave and O come up only when released without a modifier;
    // H to I come up whatever is held.
    void keyUpRules_data()
    {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<bool>("released");
        const Qt::KeyboardModifiers none, ctrl(Qt::ControlModifier), shift(Qt::ShiftModifier),
            alt(Qt::AltModifier);
        QTest::newRow("A") << int(Qt::Key_A) << none << true;
        QTest::newRow("A with Ctrl") << int(Qt::Key_A) << ctrl << false;
        QTest::newRow("R with Alt") << int(Qt::Key_R) << alt << false;
        QTest::newRow("O with Shift") << int(Qt::Key_O) << shift << false;
        QTest::newRow("O") << int(Qt::Key_O) << none << true;
        QTest::newRow("H with Ctrl") << int(Qt::Key_H) << ctrl << true;
        QTest::newRow("Enter with Alt") << int(Qt::Key_Return) << alt << true;
        QTest::newRow("I with Shift") << int(Qt::Key_I) << shift << true;
        QTest::newRow("; with Ctrl") << int(Qt::Key_Semicolon) << ctrl << true;
    }
    void keyUpRules()
    {
        QFETCH(int, qtKey);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(bool, released);
        Started& s = *m_s;
        QTest::keyPress(&s.main, Qt::Key(qtKey));
        const int pressed = PressedKey(s.kb2);
        QVERIFY(pressed >= 0);
        // Release the note key while the modifier is held (the modifier itself goes up after).
        QKeyEvent up(QEvent::KeyRelease, qtKey, mods);
        QApplication::sendEvent(&s.main, &up);
        QCOMPARE(PressedKey(s.kb2), released ? -1 : pressed);
        if (!released) {
            // Pressed and released again without a modifier, it comes up.
            QTest::keyClick(&s.main, Qt::Key(qtKey));
            QCOMPARE(PressedKey(s.kb2), -1);
        }
    }

    void clicksOnTheKeysPlayTheirNotes()
    {
        Started& s = *m_s;
        const auto white = s.kb2.WhiteKeys();
        for (int i = 0; i < 18; ++i) {
            const Stroke st =
                Measure(s.kb1, [&] { QTest::mouseClick(white[size_t(i)], Qt::LeftButton, {}, QPoint(29, 220)); });
            QCOMPARE(st.notes, 1);
            QCOMPARE(st.file, ExpectedFile(s.kb1, WhiteNotes[i]));
        }
        const auto black = s.kb2.BlackKeys();
        QCOMPARE(black.front(), s.kb2.Img_cx);
        QCOMPARE(black.back(), s.kb2.ImageButton[10]);
        for (int i = 0; i < 12; ++i) {
            TImageButton* b = black[size_t(i)];
            QCOMPARE(s.kb2.Key(BlackNotes[i]), b);
            QTest::mousePress(b, Qt::LeftButton, {}, QPoint(29, 80));
            QVERIFY(b->IsShowingDown());
            const Stroke st = Measure(s.kb1, [&] { QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(29, 80)); });
            QCOMPARE(st.notes, 1);
            QCOMPARE(st.file, ExpectedFile(s.kb1, BlackNotes[i]));
            QVERIFY(b->IsShowingUp());
        }
    }

    // Where a click lands, in this form's pixels: the painted black key, or the white key
    // showing through beside and below it.
    void clickPointPlaysItsKey_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QString>("note");
        QTest::newRow("c#") << QPoint(61, 100) << "c#";
        QTest::newRow("c beside c#") << QPoint(35, 100) << "c";
        QTest::newRow("c below c#") << QPoint(61, 200) << "c";
        QTest::newRow("d#") << QPoint(127, 150) << "d#";
        QTest::newRow("e between d# and f") << QPoint(170, 100) << "e";
        QTest::newRow("f#1") << QPoint(643, 60) << "f#1";
        QTest::newRow("a#1") << QPoint(767, 120) << "a#1";
        QTest::newRow("d#2") << QPoint(940, 100) << "d#2";
        QTest::newRow("f2 at the end") << QPoint(1050, 100) << "f2";
    }
    void clickPointPlaysItsKey()
    {
        QFETCH(QPoint, at);
        QFETCH(QString, note);
        Started& s = *m_s;
        auto* key = qobject_cast<TImageButton*>(s.kb2.childAt(at));
        QVERIFY(key);
        QCOMPARE(key, s.kb2.Key(note));
        const Stroke st = Measure(s.kb1, [&] { QTest::mouseClick(key, Qt::LeftButton, {}, key->mapFrom(&s.kb2, at)); });
        QCOMPARE(st.notes, 1);
        QCOMPARE(st.file, ExpectedFile(s.kb1, note));
    }

    // The marks light a black key by its note and letter it with its shifted key.
    void marksLightBlackKeys()
    {
        KeyMarks* marks = m_s->kb2.Marks;
        marks->Await(QStringLiteral("g#"));
        QCOMPARE(marks->Letter(QStringLiteral("g#")), QStringLiteral("⇧G"));
        QVERIFY(marks->Hint->isHidden());
        marks->Demo(QStringLiteral("c#2"), true);
        QVERIFY(m_s->kb2.Key("c#2")->IsShowingDown());
        marks->Demo(QStringLiteral("c#2"), false);
        marks->Await(QStringLiteral("F#"));
        QCOMPARE(marks->Hint->text(), QStringLiteral("↓"));
        marks->Await(QString());
    }

    // On this form's own handling the space bar goes on to the PC-key map too, where it
    // names no note: a turn goes by, nothing sounds.
    void spaceOnTheFormTurnsOnlyAShownScore_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("turns");
        QTest::newRow("panel hidden") << "hidden" << false;
        QTest::newRow("menu open") << "menu" << false;
        QTest::newRow("score on view") << "score" << true;
    }
    void spaceOnTheFormTurnsOnlyAShownScore()
    {
        QFETCH(QString, state);
        QFETCH(bool, turns);
        Started& s = *m_s;
        if (state == QLatin1String("hidden"))
            s.main.GBxShowOpern->hide();
        if (state == QLatin1String("score"))
            QTest::mouseDClick(s.main.GBxShowOpern->LabOpMenu[0], Qt::LeftButton);
        const int viewPage = s.main.GBxShowOpern->ViewPage();
        const int menuPage = s.main.GBxShowOpern->MenuPage();
        const Stroke st = Measure(s.kb1, [&] { QTest::keyClick(&s.kb2, Qt::Key_Space); });
        QCOMPARE(st.notes, 0);
        QCOMPARE(s.main.GBxShowOpern->ViewPage(), turns ? viewPage + 1 : viewPage);
        QCOMPARE(s.main.GBxShowOpern->MenuPage(), menuPage);
        QCOMPARE(PressedKey(s.kb2), -1);
    }
};

TAVO_TEST_MAIN(TestKeyboard2)
#include "test_keyboard2.moc"
