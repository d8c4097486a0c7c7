#include "TestSupport.h"
#include <QAction>
#include <QMenu>
#include "ui/widgets/ClickLabel.h"
#include <QAbstractButton>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTimer>

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

    // A Chinese system locale picks its own script; any other locale gets zh_CN.
    void qtCataloguesFollowTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("names");
        const QStringList simplified{QStringLiteral("qt_zh_CN")};
        const QStringList traditional{QStringLiteral("qt_zh_TW"), QStringLiteral("qt_zh_CN")};
        QTest::newRow("zh_CN") << "zh_CN" << simplified;
        QTest::newRow("zh_SG") << "zh_SG" << simplified;
        QTest::newRow("zh_TW") << "zh_TW" << traditional;
        QTest::newRow("zh_HK") << "zh_HK" << traditional;
        QTest::newRow("en_US") << "en_US" << simplified;
        QTest::newRow("C") << "C" << simplified;
    }
    void qtCataloguesFollowTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, names);
        QCOMPARE(TavoApplication::QtCatalogues(QLocale(locale)), names);
    }

    // The file dialog reads 查找范围 / 文件名 / 打开 / 取消 once Qt's catalogues are installed.
    void qtDialogsSpeakChinese()
    {
        const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (!QFileInfo::exists(folder + QStringLiteral("/qtbase_zh_CN.qm")))
            QSKIP("qt6-translations-l10n is not installed: Qt's own dialogs stay in English");
        QVERIFY(static_cast<TavoApplication*>(QCoreApplication::instance())->QtTranslated());
        QFileDialog dialog(nullptr, QString(), QDir::tempPath(), QStringLiteral("歌谱文件(*.opr)"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        QStringList words;
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            words << label->text();
        for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
            words << button->text();
        const QString all = words.join(u'|');
        for (const QString& word : {QStringLiteral("查找范围"), QStringLiteral("文件名"), QStringLiteral("打开"),
                                    QStringLiteral("取消")})
            QVERIFY2(all.contains(word), qPrintable(all));
    }

    // A notice only informs: one button, 确定 (with or without Qt's catalogues).
    void noticesOfferOneOkButton()
    {
        QtDialogs dialogs;
        QStringList buttons;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                for (const QAbstractButton* b : box->buttons())
                    buttons << b->text();
                box->done(0);
            }
        });
        poll.start();
        dialogs.ShowInfo(QStringLiteral("歌曲：送别，导入完毕！"));
        QCOMPARE(buttons, QStringList{QStringLiteral("确定")});
    }
};

TAVO_TEST_MAIN(TestShell)
#include "test_shell.moc"
