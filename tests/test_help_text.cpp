// The help pages and their walk, and the about panel's texts.
#include "core/help/HelpText.h"
#include "core/settings/WebAddresses.h"
#include <QTest>

class TestHelpText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void walkThroughThePages()
    {
        HelpPageWalk walk;
        QCOMPARE(walk.title(), QStringLiteral("弹       奏"));
        QCOMPARE(walk.number(), QStringLiteral("- 1 -"));
        QVERIFY(!walk.previous());
        QCOMPARE(walk.page(), 1);

        const QList<bool> forward{true, true, false, false};   // next, next, previous, previous
        const QStringList titles{"录入曲谱", "录入曲谱", "录入曲谱", "弹       奏"};
        const QList<int> pages{2, 3, 2, 1};
        for (int step = 0; step < 4; ++step) {
            QVERIFY(forward[step] ? walk.next() : walk.previous());
            QCOMPARE(walk.title(), titles[step]);
            QCOMPARE(walk.number(), QStringLiteral("- %1 -").arg(pages[step]));
            QCOMPARE(walk.text(), HelpPages()[pages[step] - 1].text());
        }
        walk.next();
        walk.next();
        QVERIFY(walk.next());
        QCOMPARE(walk.title(), QStringLiteral("简谱文本"));
        // The guide's pages follow the text's, up to the last, where "下一页" stops.
        while (walk.next())
            QCOMPARE(walk.text(), HelpPages()[walk.page() - 1].text());
        QCOMPARE(walk.page(), HelpPageCount);
        QCOMPARE(walk.title(), QStringLiteral("导入与导出"));
        QVERIFY(!walk.next());
    }

    void pageShapeAndAbout()
    {
        const auto& pages = HelpPages();
        QCOMPARE(QList<qsizetype>({pages[0].lines.size(), pages[1].lines.size(), pages[2].lines.size()}),
                 QList<qsizetype>({11, 11, 10}));
        for (const HelpPage& page : pages) {
            QVERIFY2(page.lines.size() <= 11, qPrintable(page.title));   // the box shows eleven lines
            QVERIFY(!page.title.isEmpty());
        }
        QCOMPARE(pages[2].lines[8], QStringLiteral("曲谱下载及交流请登陆论坛             ") + ForumAddress);
        QCOMPARE(pages[2].lines[9], QString(62, u'_'));
        QCOMPARE(AboutVersionText(), QStringLiteral("1.16  "));
        QCOMPARE(WebSiteCaption(), ForumAddress + QStringLiteral("   "));
    }
};

QTEST_GUILESS_MAIN(TestHelpText)
#include "test_help_text.moc"
