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
        QVERIFY(!walk.next());
        QCOMPARE(walk.page(), 3);
    }

    void pageTexts()
    {
        const auto& pages = HelpPages();
        QCOMPARE(pages[0].lines.size(), 11);
        QCOMPARE(pages[1].lines.size(), 11);
        QCOMPARE(pages[2].lines.size(), 10);
        // Straight quotes where the pages have them, curly ones elsewhere.
        QCOMPARE(pages[0].lines[8], QStringLiteral("点击\"删除\"按钮删除当前选中曲谱。"));
        QCOMPARE(pages[1].lines[4], QStringLiteral("输入结束，点击\"增加\"按钮确认完成歌曲基本信息录入。"));
        QCOMPARE(pages[2].lines[2], QStringLiteral("曲谱全部录入完毕，点击“提交\"按钮将曲谱存盘。"));
        QCOMPARE(pages[2].lines[8], QStringLiteral("曲谱下载及交流请登陆论坛             ") + ForumAddress);
        QCOMPARE(pages[2].lines[9], QString(62, u'_'));
        for (int i = 3; i < 8; ++i)
            QVERIFY(pages[2].lines[i].isEmpty());
        QCOMPARE(pages[0].text().count(u'\n'), 10);
    }

    void aboutTexts()
    {
        QCOMPARE(AboutVersionText(), QStringLiteral("1.16  "));
        QCOMPARE(WebSiteCaption(), ForumAddress + QStringLiteral("   "));
        QVERIFY(ForumAddress.contains(QStringLiteral(".tavopiano.example")));
        QVERIFY(AboutContactText().endsWith(QStringLiteral("tavopiano.example")));
    }
};

QTEST_GUILESS_MAIN(TestHelpText)
#include "test_help_text.moc"
