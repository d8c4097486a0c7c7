// The help and about panels as the user meets them: page walk by clicks, panels taking
// turns, and the forum label.
#include "TestSupport.h"
#include "core/help/HelpText.h"
#include "core/settings/WebAddresses.h"
#include <QTextEdit>
#include <QUrl>

class TestHelpAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void helpPagesWalkByClicks()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        HelpPanel& h = *m.GBxHelp;
        m.show();
        QTest::mouseClick(m.ImgHelp, Qt::LeftButton);
        QVERIFY(h.isVisible());
        const auto shows = [&](int page, const QString& title) {
            QCOMPARE(h.LabHelpTitle->text(), title);
            QCOMPARE(h.LabTab3PgId->text(), QStringLiteral("- %1 -").arg(page));
            QCOMPARE(h.MemHelpInfo->toPlainText(), HelpPages()[page - 1].text());
        };
        shows(1, QStringLiteral("弹       奏"));
        QTest::mouseClick(h.LabHelpPre, Qt::LeftButton);   // nothing before page 1
        shows(1, QStringLiteral("弹       奏"));

        QTest::mouseClick(h.LabHelpNex, Qt::LeftButton);
        shows(2, QStringLiteral("录入曲谱"));
        QTest::mouseClick(h.LabHelpNex, Qt::LeftButton);
        shows(3, QStringLiteral("录入曲谱"));
        QTest::mouseClick(h.LabHelpNex, Qt::LeftButton);
        shows(4, QStringLiteral("简谱文本"));
        // Every page after the text's is whole in the box: no line runs past its right edge.
        const QFontMetrics metrics(h.MemHelpInfo->font());
        const int room = h.MemHelpInfo->viewport()->width();
        for (int page = 5; page <= HelpPageCount; ++page) {
            QTest::mouseClick(h.LabHelpNex, Qt::LeftButton);
            shows(page, HelpPages()[page - 1].title);
            for (const QString& line : HelpPages()[page - 1].lines)
                QVERIFY2(metrics.horizontalAdvance(line) <= room, qPrintable(line));
        }
        QTest::mouseClick(h.LabHelpNex, Qt::LeftButton);   // nothing after the last page
        shows(HelpPageCount, QStringLiteral("导入与导出"));
        for (int page = HelpPageCount; page > 2; --page)
            QTest::mouseClick(h.LabHelpPre, Qt::LeftButton);
        shows(2, QStringLiteral("录入曲谱"));

        // Closed and opened again, the panel comes back on the page it was left on.
        QTest::mouseClick(h.CloseLabel(), Qt::LeftButton);
        QVERIFY(!h.isVisible());
        QTest::mouseClick(m.ImgHelp, Qt::LeftButton);
        shows(2, QStringLiteral("录入曲谱"));
        QTest::mouseClick(h.LabTab3PgId, Qt::LeftButton);   // the page number goes back
        shows(1, QStringLiteral("弹       奏"));
        // The entry panel's page label turns the help back too.
        QTest::mouseClick(h.LabHelpNex, Qt::LeftButton);
        m.ImgOpernWriteClick();
        QTest::mouseClick(m.GBxOpernWrite->LabTab2PgId, Qt::LeftButton);
        m.ImgHelpClick();
        shows(1, QStringLiteral("弹       奏"));
    }

    void helpAndAboutHideTheOtherPanels()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        m.show();
        for (ClickLabel* button : {m.ImgHelp, m.ImgAbout, m.ImgHelp}) {
            for (QWidget* other : {static_cast<QWidget*>(m.GBxShowOpern), static_cast<QWidget*>(m.GBxOpernWrite)}) {
                m.ShowPanel(other, 5, 95);
                QTest::mouseClick(button, Qt::LeftButton);
                QVERIFY(!other->isVisible());
            }
            QCOMPARE(m.GBxHelp->isVisible(), button == m.ImgHelp);
            QCOMPARE(m.GBxAbout->isVisible(), button == m.ImgAbout);
        }
    }

    void forumLabelOpensAndLightsUp()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        AboutPanel& a = *m.GBxAbout;
        QList<QUrl> opened;
        a.OpenAddress = [&](const QUrl& u) { opened << u; };
        m.show();
        QTest::mouseClick(m.ImgAbout, Qt::LeftButton);
        ClickLabel* site = a.LabWebSite;
        QCOMPARE(site->text(), ForumAddress + QStringLiteral("   "));

        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), site->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(site, &move);
        QCOMPARE(site->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(site->cursor().shape(), Qt::BitmapCursor);   // the program's own hand
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(site, &leave);
        QCOMPARE(site->palette().color(QPalette::WindowText), QColor(255, 255, 255));

        QTest::mouseClick(site, Qt::LeftButton);
        QCOMPARE(opened, QList<QUrl>{QUrl(ForumAddress)});
    }
};

TAVO_TEST_MAIN(TestHelpAbout)
#include "test_help_about.moc"
