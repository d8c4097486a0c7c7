#include "TestSupport.h"
#include <QAction>
#include <QMenu>
#include "ui/widgets/ClickLabel.h"
#include <QGroupBox>

class TestShell : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dragRegionEdges_data()
    {
        QTest::addColumn<QPoint>("p");
        QTest::addColumn<bool>("drag");
        QTest::newRow("title strip") << QPoint(100, 10) << true;
        QTest::newRow("menu row") << QPoint(100, 50) << false;
        QTest::newRow("panel area") << QPoint(100, 200) << true;
        QTest::newRow("close strip") << QPoint(650, 10) << false;
        QTest::newRow("left edge x=1") << QPoint(1, 10) << false;
        QTest::newRow("x=2") << QPoint(2, 10) << true;
        QTest::newRow("x=644") << QPoint(644, 10) << true;
        QTest::newRow("x=645") << QPoint(645, 10) << false;
        QTest::newRow("y=1") << QPoint(100, 1) << false;
        QTest::newRow("y=25") << QPoint(100, 25) << true;
        QTest::newRow("y=26") << QPoint(100, 26) << false;
        QTest::newRow("y=85") << QPoint(100, 85) << false;
        QTest::newRow("y=86") << QPoint(100, 86) << true;
        QTest::newRow("y=371") << QPoint(100, 371) << true;
        QTest::newRow("y=372") << QPoint(100, 372) << false;
        QTest::newRow("keys") << QPoint(100, 500) << false;
    }
    void dragRegionEdges()
    {
        QFETCH(QPoint, p);
        QFETCH(bool, drag);
        QCOMPARE(TFormPiano::IsDragPoint(p), drag);
    }

    void showPanelKeepsOneVisibleAtItsPlace()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        QList<QGroupBox*> panels{m.GBxShowOpern, m.GBxOpernWrite, m.GBxHelp, m.GBxAbout};
        m.show();
        for (auto* p : panels)
            QVERIFY(!p->isVisible());
        m.ImgAboutClick();
        QVERIFY(m.GBxAbout->isVisible());
        QCOMPARE(m.GBxAbout->pos(), QPoint(100, 95));
        m.ImgHelpClick();
        QVERIFY(!m.GBxAbout->isVisible());
        QVERIFY(m.GBxHelp->isVisible());
        QCOMPARE(m.GBxHelp->pos(), QPoint(22, 95));
        m.ImgOpernWriteClick();
        QCOMPARE(m.GBxOpernWrite->pos(), QPoint(5, 95));
        int visible = 0;
        for (auto* p : panels)
            visible += p->isVisible();
        QCOMPARE(visible, 1);
        // The close label hides its panel and opens nothing in its place.
        QTest::mouseClick(m.GBxOpernWrite->CloseLabel(), Qt::LeftButton);
        for (auto* p : panels)
            QVERIFY(!p->isVisible());
        m.ImgHelpClick();
        QVERIFY(m.GBxHelp->isVisible());
        QCOMPARE(m.GBxHelp->pos(), QPoint(22, 95));
        QCOMPARE(m.GBxHelp->CloseLabel()->text(), QStringLiteral("X"));
        QTest::mouseClick(m.GBxHelp->CloseLabel(), Qt::LeftButton);
        QVERIFY(!m.GBxHelp->isVisible());
    }

    // An open panel takes its own presses: pressing on it never moves the window, while
    // the same point with no panel open does.
    void pressOnAnOpenPanelNeverMovesTheWindow()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        m.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m));
        const auto pressAt = [&](const QPoint& windowPoint) {
            const int before = m.DragStarts();
            QWidget* target = m.childAt(windowPoint);
            QTest::mousePress(target ? target : &m, Qt::LeftButton, {},
                              target ? target->mapFrom(&m, windowPoint) : windowPoint);
            QTest::mouseRelease(target ? target : &m, Qt::LeftButton, {},
                                target ? target->mapFrom(&m, windowPoint) : windowPoint);
            return m.DragStarts() - before;
        };
        QCOMPARE(pressAt(QPoint(300, 200)), 1);   // the window's own background still drags
        m.ImgOpernShowClick();
        QCOMPARE(pressAt(QPoint(300, 200)), 0);   // the score sheet
        QCOMPARE(pressAt(QPoint(600, 120)), 0);   // empty panel space
        const QPoint name = m.GBxShowOpern->LabSongName->geometry().center() + m.GBxShowOpern->pos();
        QCOMPARE(pressAt(name), 0);
        m.ImgHelpClick();
        QCOMPARE(pressAt(QPoint(300, 200)), 0);
        m.ImgAboutClick();
        QCOMPARE(pressAt(QPoint(300, 200)), 0);
        m.ImgOpernWriteClick();
        QCOMPARE(pressAt(QPoint(300, 200)), 0);
    }

    void pressOnTitleIconDragsAndNeverClicks()
    {
        TempEnv env;
        PianoWindows w{env};
        w.main->show();
        QTest::mouseClick(w.main->ImgTitle, Qt::LeftButton, {}, QPoint(10, 8));
        QVERIFY(!w.main->GBxAbout->isVisible());
        // The about button lies in the menu row and clicks as usual.
        QTest::mouseClick(w.main->ImgAbout, Qt::LeftButton);
        QVERIFY(w.main->GBxAbout->isVisible());
    }

    // The icon menu is a window of its own: a click on its item, where the window sits at
    // its start (centred), toggles the option and moves nothing, also where the menu lies
    // over the window's drag strip.
    void iconMenuTakesClicksWhereTheWindowStarts()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        m.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m));
        QMenu* menu = m.IconMenu();
        Q_EMIT m.ImgTitle->customContextMenuRequested(QPoint(10, 8));
        QTRY_VERIFY(menu->isVisible());
        QAction* letters = menu->actions()[0];
        const QPoint at = menu->actionGeometry(letters).center();
        QVERIFY2(TFormPiano::IsDragPoint(menu->mapTo(&m, at)), "the menu no longer lies where the fault was");
        const bool before = letters->isChecked();
        const int drags = m.DragStarts();
        QTest::mouseClick(menu, Qt::LeftButton, {}, at);
        QCOMPARE(letters->isChecked(), !before);
        QCOMPARE(m.DragStarts(), drags);
        QTRY_VERIFY(!menu->isVisible());
    }

    void windowGeometry()
    {
        TempEnv env;
        PianoWindows w{env};
        QCOMPARE(w.main->size(), QSize(670, 650));
        QVERIFY(w.main->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(w.main->windowTitle(), QStringLiteral("Tavo电脑钢琴"));
        QCOMPARE(w.main->ImgBottom->geometry(), QRect(0, 636, 670, 14));
    }
};

TAVO_TEST_MAIN(TestShell)
#include "test_shell.moc"
