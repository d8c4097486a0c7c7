#include "ScoreTestSupport.h"
#include "TestSupport.h"
#include "ui/widgets/BannerView.h"
#include "ui/widgets/Guard.h"
#include "ui/panels/PracticeBar.h"
#include "ui/widgets/ClickLabel.h"
#include <QGroupBox>
#include <QMessageBox>
#include <QTextDocument>
#include <QTimer>

using namespace ScoreTest;

namespace {
QString Title(int id)
{
    return QStringLiteral("歌曲%1").arg(id);
}

// Songs 1..count (shuffled ids are not needed: the table is sorted by SongID), with notices between.
void FillSongs(SongTableType& t, int count)
{
    for (int id = 1; id <= count; ++id) {
        if (id % 3 == 0)
            t.push_back(Notice(QStringLiteral("通知%1").arg(id)));
        AddSong(t, id * 2, Title(id * 2), 12);
    }
}

QStringList ShownTitles(const TFormPiano& m)
{
    QStringList titles;
    for (auto* l : m.GBxShowOpern->LabOpMenu)
        if (!l->isHidden())
            titles << l->text();
    return titles;
}

QStringList Titles(int first, int last)
{
    QStringList t;
    for (int id = first; id <= last; ++id)
        t << Title(id * 2);
    return t;
}
}

class TestSongMenu : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menuLabels()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        for (int n = 1; n <= 8; ++n) {
            ClickLabel* l = m.GBxShowOpern->LabOpMenu[n - 1];
            QCOMPARE(l->objectName(), QStringLiteral("LabOpMenu_%1").arg(n));
            QCOMPARE(l->parentWidget(), m.GBxShowOpern);
            QCOMPARE(l->pos(), QPoint(n <= 4 ? 35 : 295, 90 + 40 * ((n - 1) % 4)));
            QCOMPARE(l->font().pixelSize(), 21);
            QCOMPARE(l->font().family(), QStringLiteral("微软雅黑"));
            QVERIFY(l->isHidden());
            QVERIFY(!l->autoFillBackground());
            QCOMPARE(m.GBxShowOpern->MenuSongID((n - 1) + 1), 0);
        }
    }

    void openingTheMenu_data()
    {
        QTest::addColumn<int>("songs");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("empty table") << 0 << QStringList();
        QTest::newRow("three songs") << 3 << Titles(1, 3);
        QTest::newRow("eight songs") << 8 << Titles(1, 8);
        QTest::newRow("twelve songs") << 12 << Titles(1, 8);
    }
    void openingTheMenu()
    {
        QFETCH(int, songs);
        QFETCH(QStringList, titles);
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        FillSongs(m.Library().Table(), songs);
        // Whatever was shown before, the menu opens on a blank grid at page 1.
        AddSong(m.Library().Table(), 99, QStringLiteral("旧"), 3);
        m.GBxShowOpern->DrawPage(QStringLiteral("99"), 1);
        m.GBxShowOpern->LabNexPg_1Click();
        m.GBxShowOpern->LabNexPg_1Click();
        QCOMPARE(m.GBxShowOpern->ViewPage(), 3);
        ShowGlyph(m.GBxOpernWrite->Grid->Cells[2], QStringLiteral("NOTE_512"));
        m.GBxOpernWrite->Grid->Arcs[1]->show();
        m.Library().Table().resize(m.Library().Table().size() - 4);
        m.ImgHelpClick();
        m.MySWF->SetBackgroundColor(0x123456);

        m.ImgOpernShowClick();
        QVERIFY(!m.GBxShowOpern->isHidden());
        QVERIFY(m.GBxHelp->isHidden());
        QCOMPARE(m.GBxShowOpern->pos(), QPoint(5, 95));
        QCOMPARE(m.GBxShowOpern->ViewPage(), 1);
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 1 -"));
        for (int k = 0; k < 105; ++k) {
            QCOMPARE(ShownGlyph(m.GBxShowOpern->Grid->Cells[k]), QStringLiteral("NOTE_9000"));
            QCOMPARE(ShownGlyph(m.GBxOpernWrite->Grid->Cells[k]), QStringLiteral("NOTE_9000"));
        }
        QVERIFY(m.GBxOpernWrite->Grid->Arcs[1]->isHidden());
        QCOMPARE(ShownTitles(m), titles);
        // Shown labels come first and carry their song numbers.
        for (int n = 0; n < 8; ++n) {
            QCOMPARE(m.GBxShowOpern->LabOpMenu[n]->isHidden(), n >= titles.size());
            QCOMPARE(m.GBxShowOpern->MenuSongID((n) + 1), n < titles.size() ? (n + 1) * 2 : 0);
        }
        QCOMPARE(m.MySWF->BackgroundColor(), songs ? 0 : 0x123456);
    }

    void notRowsOtherThanHeadersNeverTitles()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        SongTableType& t = m.Library().Table();
        t.push_back(Notice(QStringLiteral("公告一")));
        t.push_back(Header(1, QStringLiteral("甲")));
        t.push_back(Note(1, 1, 1, 0, 1));
        SongRecord odd = Header(0, QStringLiteral("怪行"));
        odd.InfoType = QStringLiteral("5");
        t.push_back(odd);
        t.push_back(Notice(QStringLiteral("公告二")));
        t.push_back(Header(2, QStringLiteral("乙")));
        m.ImgOpernShowClick();
        QCOMPARE(ShownTitles(m), (QStringList{QStringLiteral("甲"), QStringLiteral("乙")}));
        // A menu page past the end changes nothing.
        m.GBxShowOpern->ShowMenuPage(99);
        QCOMPARE(ShownTitles(m), (QStringList{QStringLiteral("甲"), QStringLiteral("乙")}));
    }

    // Titles up to 200 bytes end with "…" inside their column; the tooltip holds the whole title.
    void longTitlesStayInTheirColumn()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        const QString longTitle = QString(100, QChar(0x957F));   // 长 x 100: 200 bytes
        for (int id = 1; id <= 5; ++id)
            m.Library().Table().push_back(Header(id, id == 2 ? QStringLiteral("短歌") : longTitle));
        m.ImgOpernShowClick();
        const auto& menu = m.GBxShowOpern->LabOpMenu;
        for (int n : {0, 2, 3, 4}) {
            ClickLabel* l = menu[size_t(n)];
            QVERIFY2(l->text().endsWith(QChar(0x2026)) && l->text().size() < longTitle.size(), qPrintable(l->text()));
            QCOMPARE(l->toolTip(), longTitle);
            const QLabel* sheet = m.GBxShowOpern->ImgOpern;
            const int columnEnd = n < 4 ? menu[4]->x() : sheet->x() + sheet->width();
            QVERIFY2(l->geometry().right() < columnEnd, qPrintable(QString::number(l->geometry().right())));
        }
        QCOMPARE(menu[1]->text(), QStringLiteral("短歌"));
        QCOMPARE(menu[1]->toolTip(), QStringLiteral("短歌"));
    }

    // Titles, credits, tooltips and message boxes show markup as the characters it is made
    // of: the text format is plain and no label builds a rich-text document.
    void hostileTextsShowLiterally_data()
    {
        QTest::addColumn<QString>("text");
        for (const char* t : {"<img src=missing.png>", "<h1>大标题</h1>", "<b>唱</b>", "&amp; &lt;x&gt;",
                              "<a href='x'>链接</a>", "<qt>富", "Don't \"x\"", "<table><tr><td>1"})
            QTest::newRow(t) << QString::fromUtf8(t);
    }
    void hostileTextsShowLiterally()
    {
        QFETCH(QString, text);
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        m.Library().Table().push_back(Header(1, text, 1, text, text, text));
        m.ImgOpernShowClick();
        ClickLabel* entry = m.GBxShowOpern->LabOpMenu[0];
        const QString tip = entry->toolTip();
        QTextDocument shown;
        shown.setHtml(tip);
        QCOMPARE(Qt::mightBeRichText(tip) ? shown.toPlainText() : tip, text);
        const QList<QLabel*> labels{entry, m.GBxShowOpern->LabSongName, m.GBxShowOpern->LabArt, m.GBxShowOpern->LabWord,
                                    m.GBxShowOpern->LabComposer, m.GBxShowOpern->Practice->LabPractice};
        QCOMPARE(entry->text(), text);
        m.GBxShowOpern->LabOpMenuDblClick(1);
        QCOMPARE(m.GBxShowOpern->LabSongName->text(), text);
        QCOMPARE(m.GBxShowOpern->LabComposer->text(), "作曲：" + text);
        for (QLabel* l : labels) {
            QCOMPARE(l->textFormat(), Qt::PlainText);
            l->show();
            QVERIFY(l->sizeHint().isValid());   // lays the text out
            for (QObject* child : l->children())
                QVERIFY2(qstrcmp(child->metaObject()->className(), "QWidgetTextControl") != 0, qPrintable(l->objectName()));
        }
        // Every message box and the item chooser.
        QtDialogs dialogs;
        QStringList seen;
        const QList<std::function<void()>> boxes{
            [&] { dialogs.ShowInfo("歌曲：" + text); }, [&] { dialogs.ShowError(text); },
            [&] { dialogs.AskYesNo(text, "新歌曲导入"); }, [&] { dialogs.AskYesNo(text); },
            [&] { dialogs.ChooseItem(text, {text}, 0); }};
        for (const auto& show : boxes) {
            QTimer::singleShot(0, [&] {
                QWidget* box = QApplication::activeModalWidget();
                for (QLabel* l : box->findChildren<QLabel*>())
                    if (l->text().contains(text) && l->textFormat() == Qt::PlainText)
                        seen << l->text();
                box->close();
            });
            show();
        }
        QCOMPARE(seen, (QStringList{"歌曲：" + text, text, text, text, text}));
    }

    void doubleClickOpensSong()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        FillSongs(m.Library().Table(), 4);
        m.ImgOpernShowClick();
        QTest::mouseDClick(m.GBxShowOpern->LabOpMenu[2], Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(m.GBxShowOpern->ShownSongID(), 6);
        QCOMPARE(m.GBxShowOpern->LabSongName->text(), Title(6));
        QCOMPARE(ShownGlyph(m.GBxShowOpern->Grid->Cells[0]), PatternGlyph(1));
        QCOMPARE(ShownGlyph(m.GBxShowOpern->Grid->Cells[11]), PatternGlyph(12));
        QCOMPARE(ShownGlyph(m.GBxShowOpern->Grid->Cells[12]), QStringLiteral("NOTE_9000"));
        QVERIFY(ShownTitles(m).isEmpty());
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 1 -"));
        // Back to the menu: grid blank again, titles shown, the song number kept.
        m.ImgOpernShowClick();
        QCOMPARE(ShownTitles(m), Titles(1, 4));
        QCOMPARE(ShownGlyph(m.GBxShowOpern->Grid->Cells[0]), QStringLiteral("NOTE_9000"));
        QCOMPARE(m.GBxShowOpern->ShownSongID(), 6);
        // A hidden label cannot open a song.
        m.GBxShowOpern->LabOpMenuDblClick(6);
        QCOMPARE(ShownGlyph(m.GBxShowOpern->Grid->Cells[0]), QStringLiteral("NOTE_9000"));
        QVERIFY(!m.GBxShowOpern->LabOpMenu[0]->isHidden());
    }

    void openMenuBlocksPageTurnsWithFewSongs()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        FillSongs(m.Library().Table(), 8);
        m.ImgOpernShowClick();
        for (int i = 0; i < 3; ++i) {
            m.GBxShowOpern->LabNexPg_1Click();
            m.GBxShowOpern->LabPrePg_1Click();
            m.GBxShowOpern->LabPrePg_1Click();
        }
        QCOMPARE(ShownTitles(m), Titles(1, 8));
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 1 -"));
        QCOMPARE(m.GBxShowOpern->ViewPage(), 1);
        QCOMPARE(m.GBxShowOpern->MenuPage(), 0);
        for (int k = 0; k < 105; ++k)
            QCOMPARE(ShownGlyph(m.GBxShowOpern->Grid->Cells[k]), QStringLiteral("NOTE_9000"));
    }

    void pagingThroughMoreThanEightSongs()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        FillSongs(m.Library().Table(), 21);
        m.ImgOpernShowClick();
        QCOMPARE(ShownTitles(m), Titles(1, 8));
        m.GBxShowOpern->LabNexPg_1Click();
        QCOMPARE(ShownTitles(m), Titles(9, 16));
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 2 -"));
        m.GBxShowOpern->LabNexPg_1Click();
        QCOMPARE(ShownTitles(m), Titles(17, 21));
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 3 -"));
        // A short last page leaves no titles of the page before in the free labels.
        for (int n = 5; n < 8; ++n) {
            QVERIFY(m.GBxShowOpern->LabOpMenu[n]->isHidden());
            QCOMPARE(m.GBxShowOpern->MenuSongID((n) + 1), 0);
        }
        m.GBxShowOpern->LabNexPg_1Click();
        QCOMPARE(ShownTitles(m), Titles(17, 21));
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 3 -"));
        m.GBxShowOpern->LabPrePg_1Click();
        QCOMPARE(ShownTitles(m), Titles(9, 16));
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 2 -"));
        QCOMPARE(m.GBxShowOpern->ViewPage(), 1);   // the view's own page stays put

        // Opening a song from a later menu page shows its page 1.
        m.GBxShowOpern->LabOpMenuDblClick(3);
        QCOMPARE(m.GBxShowOpern->ShownSongID(), 22);
        QCOMPARE(m.GBxShowOpern->LabSongName->text(), Title(22));
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 1 -"));
        QCOMPARE(m.GBxShowOpern->ViewPage(), 1);
        QCOMPARE(ShownGlyph(m.GBxShowOpern->Grid->Cells[0]), PatternGlyph(1));
        QVERIFY(ShownTitles(m).isEmpty());
        // With the menu gone the labels turn the song's pages again.
        m.GBxShowOpern->LabNexPg_1Click();
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 2 -"));
        QCOMPARE(ShownGlyph(m.GBxShowOpern->Grid->Cells[0]), QStringLiteral("NOTE_9000"));

        // Reopening starts again at the first eight.
        m.ImgOpernShowClick();
        QCOMPARE(ShownTitles(m), Titles(1, 8));
        QCOMPARE(m.GBxShowOpern->MenuPage(), 0);
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 1 -"));
    }

    // The library loaded at start-up reaches the menu and the view.
    void startedProgramOpensFirstSong()
    {
        TempEnv env;
        QVERIFY(env.copyStarterDatabase());
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        m.show();
        QTRY_VERIFY_WITH_TIMEOUT(m.StartupDone(), 20000);
        const SongTableType& t = m.Library().Table();
        const int first = IndexOfHeader(t, 0);
        QVERIFY(first >= 0);
        m.ImgOpernShowClick();
        QCOMPARE(m.GBxShowOpern->LabOpMenu[0]->text(), t[size_t(first)].SongName);
        QTest::mouseDClick(m.GBxShowOpern->LabOpMenu[0], Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(m.GBxShowOpern->ShownSongID(), t[size_t(first)].SongID);
        int pos = 0;
        for (size_t r = size_t(first) + 1; r < t.size() && t[r].SongID == m.GBxShowOpern->ShownSongID() && pos < 105; ++r)
            if (IsCellRow(t[r]))
                QCOMPARE(ShownGlyph(m.GBxShowOpern->Grid->Cells[size_t(pos++)]), ViewGlyphName(t[r]));
        QVERIFY(pos > 0);
        QVERIFY(env.dialogs.errors.isEmpty());
    }
};

TAVO_TEST_MAIN(TestSongMenu)
#include "test_song_menu.moc"
