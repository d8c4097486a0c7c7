#include "ScoreTestSupport.h"
#include "TestSupport.h"
#include "core/Errors.h"
#include "ui/widgets/ScoreGrid.h"
#include "ui/widgets/ClickLabel.h"
#include <QGroupBox>
#include <QTextDocument>

using namespace ScoreTest;

namespace {
void ExpectCells(const TFormPiano& m, int firstCell, int count)
{
    for (int k = 1; k <= 105; ++k) {
        const QString want = k <= count ? PatternGlyph(firstCell + k - 1) : QStringLiteral("NOTE_9000");
        QVERIFY2(ShownGlyph(m.GBxShowOpern->Grid->Cells[k - 1]) == want,
                 qPrintable(QStringLiteral("position %1: %2, want %3").arg(k).arg(ShownGlyph(m.GBxShowOpern->Grid->Cells[k - 1]), want)));
    }
}

int VisibleArcs(const std::array<ClickLabel*, 6>& arcs)
{
    int n = 0;
    for (auto* a : arcs)
        n += !a->isHidden();
    return n;
}
}

class TestScoreView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void arcIsTransparentOffItsCurve()
    {
        const QImage stored(QStringLiteral(":/glyph/NOTE_9004.png"));
        const QImage arc = ArcOverlay(stored);
        QCOMPARE(arc.size(), stored.size());
        QVERIFY(arc.hasAlphaChannel());
        int inked = 0;
        for (int y = 0; y < stored.height(); ++y)
            for (int x = 0; x < stored.width(); ++x) {
                const int gray = qGray(stored.pixel(x, y));
                const QColor c = arc.pixelColor(x, y);
                if (gray < 64) {   // the curve stays dark and solid
                    ++inked;
                    QVERIFY(c.alpha() > 190 && qGray(c.rgb()) < 80);
                }
            }
        QVERIFY(inked > 50);
        // Far from the curve nothing covers the cells or the panel.
        QCOMPARE(arc.pixelColor(48, 30).alpha(), 0);
        QCOMPARE(arc.pixelColor(0, 0).alpha(), 0);
    }

    void panelControls()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        QCOMPARE(m.GBxShowOpern->size(), QSize(660, 295));
        struct Expect { QLabel* l; QPoint at; QString text; QString family; int px; };
        const Expect expects[] = {
            {m.GBxShowOpern->LabCadence1, {45, 20}, QStringLiteral("4/4"), QStringLiteral("微软雅黑"), 21},
            {m.GBxShowOpern->LabSongName, {234, 7}, QStringLiteral("未选择歌曲"), QStringLiteral("微软雅黑"), 21},
            {m.GBxShowOpern->LabArt, {250, 40}, QStringLiteral("演唱： "), QStringLiteral("楷体"), 19},
            {m.GBxShowOpern->LabWord, {488, 16}, QStringLiteral("作词： "), QStringLiteral("楷体"), 19},
            {m.GBxShowOpern->LabComposer, {488, 40}, QStringLiteral("作曲： "), QStringLiteral("楷体"), 19},
            {m.GBxShowOpern->LabTab1PgId, {288, 247}, QStringLiteral("- 1 -"), QStringLiteral("宋体"), 16},
            {m.GBxShowOpern->LabPrePg_1, {456, 269}, QStringLiteral("上一页"), QStringLiteral("楷体"), 19},
            {m.GBxShowOpern->LabNexPg_1, {539, 269}, QStringLiteral("下一页"), QStringLiteral("楷体"), 19},
        };
        for (const Expect& e : expects) {
            QCOMPARE(e.l->parentWidget(), m.GBxShowOpern);
            QCOMPARE(e.l->pos(), e.at);
            QCOMPARE(e.l->text(), e.text);
            QCOMPARE(e.l->font().family(), e.family);
            QCOMPARE(e.l->font().pixelSize(), e.px);
            QVERIFY(e.l->width() >= e.l->fontMetrics().horizontalAdvance(e.text));
            e.l->ensurePolished();
            const QColor ink = e.l == m.GBxShowOpern->LabTab1PgId ? QColor(Qt::black) : QColor(255, 251, 240);
            QCOMPARE(e.l->palette().color(e.l->foregroundRole()), ink);
        }
        m.GBxShowOpern->LabOpMenu[0]->ensurePolished();
        QCOMPARE(m.GBxShowOpern->LabOpMenu[0]->palette().color(m.GBxShowOpern->LabOpMenu[0]->foregroundRole()),
                 QApplication::palette().color(QPalette::Highlight));
        QCOMPARE(m.GBxShowOpern->ShownSongID(), 0);
        QCOMPARE(m.GBxShowOpern->ViewPage(), 1);
        for (QLabel* sheet : {m.GBxShowOpern->ImgOpern, m.GBxOpernWrite->Image1}) {
            QCOMPARE(sheet->geometry(), QRect(3, 66, 620, 200));
            QCOMPARE(sheet->pixmap().size(), QSize(620, 200));
        }
        QCOMPARE(m.GBxOpernWrite->Image1->parentWidget(), m.GBxOpernWrite);
        for (int k = 1; k <= 105; ++k) {
            const QRect place(CellX(k), CellY(k), 16, 31);
            QCOMPARE(m.GBxShowOpern->Grid->Cells[k - 1]->objectName(), QStringLiteral("ImgOpShow_%1").arg(k));
            QCOMPARE(m.GBxShowOpern->Grid->Cells[k - 1]->geometry(), place);
            QCOMPARE(m.GBxOpernWrite->Grid->Cells[k - 1]->objectName(), QStringLiteral("ImgOper_%1").arg(k));
            QCOMPARE(m.GBxOpernWrite->Grid->Cells[k - 1]->geometry(), place);
            QCOMPARE(m.GBxOpernWrite->Grid->Cells[k - 1]->parentWidget(), m.GBxOpernWrite);
            QCOMPARE(ShownGlyph(m.GBxShowOpern->Grid->Cells[k - 1]), QStringLiteral("NOTE_9000"));
        }
        for (int a = 0; a < 6; ++a) {
            QCOMPARE(m.GBxShowOpern->Grid->Arcs[a]->objectName(), QStringLiteral("ImgTab1Conn_%1").arg(a + 1));
            QCOMPARE(m.GBxOpernWrite->Grid->Arcs[a]->objectName(), QStringLiteral("ImgTab2Conn_%1").arg(a + 1));
            QVERIFY(m.GBxShowOpern->Grid->Arcs[a]->isHidden());
            QVERIFY(m.GBxOpernWrite->Grid->Arcs[a]->isHidden());
            QVERIFY(m.GBxShowOpern->Grid->Arcs[a]->hasScaledContents());
            QCOMPARE(m.GBxShowOpern->Grid->Arcs[a]->height(), 31);
            QCOMPARE(m.GBxShowOpern->Grid->Arcs[a]->pixmap().size(), QSize(96, 31));
        }
        QCOMPARE(m.GBxOpernWrite->LabTab2PgId->geometry(), QRect(288, 247, 40, 16));
        QCOMPARE(m.GBxOpernWrite->LabTab2PgId->text(), QStringLiteral("- 0 -"));
    }

    void clicksOnGridsOpenTheEntryPanel()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        QTest::mouseClick(m.GBxOpernWrite->Grid->Cells[40], Qt::LeftButton);
        QVERIFY(!m.GBxOpernWrite->isHidden());
        m.GBxOpernWrite->hide();
        for (int a = 0; a < 6; ++a) {
            for (auto* arcs : {&m.GBxShowOpern->Grid->Arcs, &m.GBxOpernWrite->Grid->Arcs}) {
                (*arcs)[a]->show();
                QTest::mouseClick((*arcs)[a], Qt::LeftButton, {}, QPoint(10, 10));
                QCOMPARE(!m.GBxOpernWrite->isHidden(), a % 2 == 1);
                m.GBxOpernWrite->hide();
            }
        }
        // The page-turn labels answer clicks: with no song the number moves all the same.
        QTest::mouseClick(m.GBxShowOpern->LabNexPg_1, Qt::LeftButton);
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 2 -"));
        QTest::mouseClick(m.GBxShowOpern->LabPrePg_1, Qt::LeftButton);
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 1 -"));
    }

    void clearGridsAndEntryReset()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        for (int k = 0; k < 105; ++k) {
            ShowGlyph(m.GBxShowOpern->Grid->Cells[k], QStringLiteral("NOTE_512"));
            ShowGlyph(m.GBxOpernWrite->Grid->Cells[k], QStringLiteral("NOTE_9005"));
        }
        for (int a = 0; a < 6; ++a) {
            m.GBxShowOpern->Grid->Arcs[a]->show();
            m.GBxOpernWrite->Grid->Arcs[a]->show();
        }
        m.ClearGrids(1, 105);
        for (int k = 0; k < 105; ++k) {
            QCOMPARE(ShownGlyph(m.GBxShowOpern->Grid->Cells[k]), QStringLiteral("NOTE_9000"));
            QCOMPARE(ShownGlyph(m.GBxOpernWrite->Grid->Cells[k]), QStringLiteral("NOTE_9000"));
        }
        QCOMPARE(VisibleArcs(m.GBxShowOpern->Grid->Arcs) + VisibleArcs(m.GBxOpernWrite->Grid->Arcs), 0);
        for (int a = 0; a < 6; ++a)
            QCOMPARE(m.GBxShowOpern->ViewArcRecord((a) + 1) + m.GBxOpernWrite->EntryArcRecord((a) + 1), 0);
        QCOMPARE(m.GBxOpernWrite->SlurCounter(), 0);
    }

    void drawFirstPageAmongOtherSongs()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        m.Library().Table().push_back(Notice(QStringLiteral("通知")));
        AddSong(m.Library().Table(), 1, QStringLiteral("其他"), 30);
        m.Library().Table().push_back(Header(3, QStringLiteral("茉莉花"), 0, QStringLiteral("甲"), QStringLiteral("乙"),
                                     QStringLiteral("丙")));
        for (int n = 1; n <= 200; ++n) {
            if (n == 50)
                m.Library().Table().push_back(Notice(QStringLiteral("中间的通知")));   // takes no place
            SongRecord r = n % 10 == 0 ? Symbol(3, n, 2) : Note(3, n, (n - 1) % 7 + 1, n % 3, (n / 7) % 3);
            if (n == 60)
                r.InfoType = QStringLiteral("7");   // unknown kind: skipped, does not count
            m.Library().Table().push_back(r);
            if (n == 60)
                m.Library().Table().push_back(Symbol(3, n, 2));
        }
        AddSong(m.Library().Table(), 5, QStringLiteral("后一首"), 30);
        for (auto* l : m.GBxShowOpern->LabOpMenu)
            l->show();
        // Entry grid is blanked by a page draw as well.
        ShowGlyph(m.GBxOpernWrite->Grid->Cells[7], QStringLiteral("NOTE_512"));

        m.GBxShowOpern->DrawPage(QStringLiteral("3"), 1);
        QCOMPARE(m.GBxShowOpern->LabSongName->text(), QStringLiteral("茉莉花"));
        QCOMPARE(m.GBxShowOpern->ShownSongID(), 3);
        QCOMPARE(m.GBxShowOpern->LabArt->text(), QStringLiteral("演唱：甲"));
        QCOMPARE(m.GBxShowOpern->LabWord->text(), QStringLiteral("作词：乙"));
        QCOMPARE(m.GBxShowOpern->LabComposer->text(), QStringLiteral("作曲：丙"));
        QCOMPARE(m.GBxShowOpern->LabCadence1->text(), QStringLiteral("2/4"));
        QVERIFY(m.GBxShowOpern->LabSongName->width() >= m.GBxShowOpern->LabSongName->fontMetrics().horizontalAdvance(QStringLiteral("茉莉花")));
        ExpectCells(m, 1, 105);
        QCOMPARE(ShownGlyph(m.GBxOpernWrite->Grid->Cells[7]), QStringLiteral("NOTE_9000"));
        QCOMPARE(VisibleArcs(m.GBxShowOpern->Grid->Arcs), 0);   // bar lines carry code 2 but are no slurs
        for (auto* l : m.GBxShowOpern->LabOpMenu)
            QVERIFY(l->isHidden());
        // The page label is the caller's business.
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 1 -"));

        // Start cell 106 shows cells 106..200 and a blank tail.
        m.GBxShowOpern->DrawPage(QStringLiteral("3"), 106);
        ExpectCells(m, 106, 95);
    }

    // A title too long for the title row ends in "…" before the credits; the tooltip has all
    // of it, as plain text.
    void longTitlesStopBeforeTheCredits_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("cut");
        QTest::newRow("short") << QStringLiteral("茉莉花") << false;
        QTest::newRow("a hundred characters") << QString(100, QChar(0x6B4C)) << true;
        QTest::newRow("long Latin") << QStringLiteral("The Long and Winding Road to Somewhere Far Away") << true;
        QTest::newRow("looks like markup") << QStringLiteral("<b>粗体</b><img src=x>") + QString(30, u'长') << true;
    }
    void longTitlesStopBeforeTheCredits()
    {
        QFETCH(QString, title);
        QFETCH(bool, cut);
        TempEnv env;
        PianoWindows w{env};
        ScorePanel& p = *w.main->GBxShowOpern;
        AddSong(w.main->Library().Table(), 2, title, 10);
        p.DrawPage(QStringLiteral("2"), 1);
        QCOMPARE(p.ShownTitle(), title);
        const QString shown = p.LabSongName->text();
        QCOMPARE(shown.endsWith(QChar(0x2026)), cut);
        QVERIFY(title.startsWith(cut ? shown.chopped(1) : shown));
        QCOMPARE(shown.size() == title.size(), !cut);
        QCOMPARE_LE(p.LabSongName->x() + p.LabSongName->width(), p.LabWord->x());
        QCOMPARE(p.LabSongName->textFormat(), Qt::PlainText);
        const QString tip = p.LabSongName->toolTip();
        QTextDocument doc;
        doc.setHtml(tip);
        QCOMPARE(Qt::mightBeRichText(tip) ? doc.toPlainText() : tip, title);
    }

    void drawStopsAtBlankCell()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        AddSong(m.Library().Table(), 2, QStringLiteral("短歌"), 40);
        m.Library().Table()[21] = Symbol(2, 21, 0);   // cell 21 is blank
        m.GBxShowOpern->DrawPage(QStringLiteral("2"), 1);
        ExpectCells(m, 1, 20);
        // Later cells are never drawn, not on the next page either.
        m.GBxShowOpern->DrawPage(QStringLiteral("2"), 22);
        ExpectCells(m, 1, 0);
        QCOMPARE(m.GBxShowOpern->LabSongName->text(), QStringLiteral("短歌"));
    }

    void slurArcs()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        m.Library().Table().push_back(Header(4, QStringLiteral("连音")));
        // Seven slurs on page 1 at positions 2, 6, 10, ..., 26, then one on page 2.
        QList<int> slurRows;
        for (int n = 1; n <= 120; ++n) {
            const bool slur = (n % 4 == 2 && n <= 26) || n == 110;
            if (slur)
                slurRows << int(m.Library().Table().size());
            m.Library().Table().push_back(Note(4, n, 3, 0, 1, slur ? (n % 5) + 1 : 0));
        }
        m.GBxShowOpern->DrawPage(QStringLiteral("4"), 1);
        QCOMPARE(VisibleArcs(m.GBxShowOpern->Grid->Arcs), 6);
        for (int a = 0; a < 6; ++a) {
            const int n = 2 + 4 * a;
            const QLabel* cell = m.GBxShowOpern->Grid->Cells[n - 1];
            const QRect want(cell->x() + 8, cell->y() - 27, ((n % 5) + 1) * 16, 31);
            QCOMPARE(m.GBxShowOpern->Grid->Arcs[a]->geometry(), want);
            QCOMPARE(m.GBxShowOpern->ViewArcRecord((a) + 1), slurRows[a]);
        }
        QVERIFY(VisibleArcs(m.GBxOpernWrite->Grid->Arcs) == 0);

        // The next page frees the arcs and places the one slur of page 2 in the first arc.
        m.GBxShowOpern->DrawPage(QStringLiteral("4"), 106);
        QCOMPARE(VisibleArcs(m.GBxShowOpern->Grid->Arcs), 1);
        QVERIFY(!m.GBxShowOpern->Grid->Arcs[0]->isHidden());
        QCOMPARE(m.GBxShowOpern->ViewArcRecord((0) + 1), slurRows.last());
        QCOMPARE(m.GBxShowOpern->ViewArcRecord((1) + 1), 0);
        QCOMPARE(m.GBxShowOpern->Grid->Arcs[0]->pos(), QPoint(CellX(5) + 8, 80 - 27));
        QCOMPARE(m.GBxShowOpern->Grid->Arcs[0]->width(), 16);

        // A five-cell slur at the end of a line keeps its full width; a slurred rest has an arc too.
        SongTableType& t = m.Library().Table();
        t.clear();
        t.push_back(Header(6, QStringLiteral("行尾")));
        for (int n = 1; n <= 36; ++n)
            t.push_back(n == 35 ? Note(6, n, 5, 0, 1, 5) : n == 36 ? Note(6, n, 0, 0, 0, 2) : Note(6, n, 1, 0, 1));
        m.GBxShowOpern->DrawPage(QStringLiteral("6"), 1);
        QCOMPARE(VisibleArcs(m.GBxShowOpern->Grid->Arcs), 2);
        QCOMPARE(m.GBxShowOpern->Grid->Arcs[0]->geometry(), QRect(566 + 8, 80 - 27, 80, 31));
        QCOMPARE(m.GBxShowOpern->Grid->Arcs[1]->geometry(), QRect(28 + 8, 140 - 27, 32, 31));
    }

    void drawNothingOrFail()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        AddSong(m.Library().Table(), 1, QStringLiteral("一"), 10);
        m.GBxShowOpern->DrawPage(QStringLiteral("1"), 1);
        m.GBxShowOpern->LabOpMenu[0]->show();
        for (const QString& t : {QString(), QStringLiteral("0")}) {
            m.GBxShowOpern->DrawPage(t, 1);
            ExpectCells(m, 1, 10);
            QVERIFY(!m.GBxShowOpern->LabOpMenu[0]->isHidden());
            QCOMPARE(m.GBxShowOpern->ShownSongID(), 1);
        }
        bool raised = false;
        try {
            m.GBxShowOpern->DrawPage(QStringLiteral("x1"), 1);
        } catch (const TavoError& e) {
            raised = e.text().contains(QStringLiteral("x1"));
        }
        QVERIFY(raised);
        ExpectCells(m, 1, 10);
        // A number no row carries blanks the grid and keeps the title row.
        m.GBxShowOpern->DrawPage(QStringLiteral("9"), 1);
        ExpectCells(m, 1, 0);
        QCOMPARE(m.GBxShowOpern->LabSongName->text(), QStringLiteral("一"));
        QCOMPARE(m.GBxShowOpern->ShownSongID(), 1);
        QVERIFY(m.GBxShowOpern->LabOpMenu[0]->isHidden());
    }

    void timeSignatureKeptForOtherCodes()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        m.Library().Table().push_back(Header(1, QStringLiteral("二四"), 0));
        m.Library().Table().push_back(Header(2, QStringLiteral("怪"), 7));
        m.Library().Table().push_back(Header(3, QStringLiteral("四四"), 1));
        m.Library().Table().push_back(Header(4, QStringLiteral("负"), -1));
        const QList<QPair<QString, QString>> steps{{"1", "2/4"}, {"2", "2/4"}, {"3", "4/4"}, {"4", "4/4"},
                                                   {"2", "4/4"}, {"1", "2/4"}, {"4", "2/4"}};
        for (const auto& [song, cadence] : steps) {
            m.GBxShowOpern->DrawPage(song, 1);
            QCOMPARE(m.GBxShowOpern->LabCadence1->text(), cadence);
            QCOMPARE(m.GBxShowOpern->ShownSongID(), song.toInt());
        }
    }

    void pageTurnsThroughFivePages()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        AddSong(m.Library().Table(), 8, QStringLiteral("长歌"), 600);
        m.GBxShowOpern->DrawPage(QStringLiteral("8"), 1);
        for (int p = 2; p <= 5; ++p) {
            m.GBxShowOpern->LabNexPg_1Click();
            QCOMPARE(m.GBxShowOpern->ViewPage(), p);
            QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), PageCaption(p));
            ExpectCells(m, (p - 1) * 105 + 1, 105);
        }
        // Page 5 is the last: cells after the 525th are never shown.
        m.GBxShowOpern->LabNexPg_1Click();
        QCOMPARE(m.GBxShowOpern->ViewPage(), 5);
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 5 -"));
        ExpectCells(m, 421, 105);
        for (int p = 4; p >= 1; --p) {
            m.GBxShowOpern->LabPrePg_1Click();
            QCOMPARE(m.GBxShowOpern->ViewPage(), p);
            QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), PageCaption(p));
            ExpectCells(m, (p - 1) * 105 + 1, 105);
        }
        // On page 1 "上一页" does nothing.
        ShowGlyph(m.GBxShowOpern->Grid->Cells[0], QStringLiteral("NOTE_000"));
        m.GBxShowOpern->LabPrePg_1Click();
        QCOMPARE(m.GBxShowOpern->ViewPage(), 1);
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 1 -"));
        QCOMPARE(ShownGlyph(m.GBxShowOpern->Grid->Cells[0]), QStringLiteral("NOTE_000"));
    }

    void pagePastTheEndIsEmpty()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        AddSong(m.Library().Table(), 2, QStringLiteral("半页"), 50);
        m.GBxShowOpern->DrawPage(QStringLiteral("2"), 1);
        m.GBxShowOpern->LabNexPg_1Click();
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 2 -"));
        ExpectCells(m, 1, 0);
        QCOMPARE(m.GBxShowOpern->LabSongName->text(), QStringLiteral("半页"));
        m.GBxShowOpern->LabPrePg_1Click();
        ExpectCells(m, 1, 50);
    }

    void pageNumberMovesWithoutSong()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        AddSong(m.Library().Table(), 1, QStringLiteral("未选"), 300);
        ShowGlyph(m.GBxShowOpern->Grid->Cells[3], QStringLiteral("NOTE_100"));
        for (int i = 0; i < 6; ++i)
            m.GBxShowOpern->LabNexPg_1Click();
        QCOMPARE(m.GBxShowOpern->ViewPage(), 5);
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 5 -"));
        QCOMPARE(ShownGlyph(m.GBxShowOpern->Grid->Cells[3]), QStringLiteral("NOTE_100"));   // nothing drawn
        QCOMPARE(m.GBxShowOpern->LabSongName->text(), QStringLiteral("未选择歌曲"));
        for (int i = 0; i < 6; ++i)
            m.GBxShowOpern->LabPrePg_1Click();
        QCOMPARE(m.GBxShowOpern->ViewPage(), 1);
        QCOMPARE(m.GBxShowOpern->LabTab1PgId->text(), QStringLiteral("- 1 -"));
        QCOMPARE(ShownGlyph(m.GBxShowOpern->Grid->Cells[3]), QStringLiteral("NOTE_100"));
    }
};

TAVO_TEST_MAIN(TestScoreView)
#include "test_score_view.moc"
