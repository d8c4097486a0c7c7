// The score panel's import, export and delete pictures in the started program: a song
// goes to the desktop, leaves the library and the menu, and comes back reading the same.
#include "ScoreTestSupport.h"
#include "TestSupport.h"
#include "core/formats/MidiFile.h"
#include "ui/panels/PracticeBar.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/TempoControl.h"
#include <QAction>
#include <QDir>
#include <QMenu>

using namespace ScoreTest;

namespace {
ClickLabel* MenuLabel(const ScorePanel& p, const QString& title)
{
    for (ClickLabel* l : p.LabOpMenu)
        if (!l->isHidden() && l->text() == title)
            return l;
    return nullptr;
}

// Every row of one song, its number left out, in table order.
QStringList SongRows(const SongTableType& table, int songId)
{
    QStringList rows;
    for (const SongRecord& r : table)
        if (r.SongID == songId)
            rows << QStringList{QString::number(r.SeqID), r.SongName, r.SongNote, r.OpernLong, r.OpernHigh,
                                QString::number(r.Conn), r.InfoType, r.SongDate}
                        .join(u'|');
    return rows;
}

// What the view shows: captions and the 105 cells.
QStringList ViewText(const ScorePanel& p)
{
    QStringList shown{p.LabSongName->text(), p.LabArt->text(), p.LabWord->text(), p.LabComposer->text(),
                      p.LabCadence1->text()};
    for (const QLabel* cell : p.Grid->Cells)
        shown << ShownGlyph(cell);
    return shown;
}
}

class TestShareSongs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pictures()
    {
        TempEnv env;
        PianoWindows w{env};
        const ScorePanel& p = *w.main->GBxShowOpern;
        const struct {
            const ClickLabel* picture;
            const char* name;
            const char* hint;
            QRect place;
        } expected[] = {{p.ImgOperImport, "ImgOperImport", "导入", {624, 86, 33, 42}},
                        {p.ImgOperExport, "ImgOperExport", "导出", {624, 126, 33, 42}},
                        {p.ImgOperDelDB, "ImgOperDelDB", "删除", {624, 225, 33, 34}}};
        for (const auto& e : expected) {
            QCOMPARE(e.picture->objectName(), QString::fromUtf8(e.name));
            QCOMPARE(e.picture->toolTip(), QString::fromUtf8(e.hint));
            QCOMPARE(e.picture->geometry(), e.place);
            QCOMPARE(e.picture->pixmap().size(), e.place.size());
        }
    }

    void exportDeleteImport()
    {
        TempEnv env;
        QVERIFY(env.copyStarterDatabase());
        QVERIFY(QDir().mkpath(env.app() + QStringLiteral("template")));
        QVERIFY2(QFile::copy(QStringLiteral(TAVO_APPDIR "/template/ExpData.dat"),
                             env.app() + QStringLiteral("template/ExpData.dat")),
                 "build the default target first: it makes bin/template/ExpData.dat");
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        ScorePanel& p = *m.GBxShowOpern;
        m.show();
        QTRY_VERIFY_WITH_TIMEOUT(m.StartupDone(), 20000);
        const QString title = QStringLiteral("送别");

        const QStringList blank = ViewText(p);   // as the view is at start
        QTest::mouseClick(p.ImgOperDelDB, Qt::LeftButton);   // nothing chosen yet
        QTest::mouseClick(p.ImgOperExport, Qt::LeftButton);
        QVERIFY(env.dialogs.questions.isEmpty());
        QVERIFY(env.dialogs.infos.isEmpty());

        m.ImgOpernShowClick();
        ClickLabel* entry = MenuLabel(p, title);
        QVERIFY(entry);
        QTest::mouseDClick(entry, Qt::LeftButton, {}, QPoint(5, 5));
        const int oldId = p.ShownSongID();
        QVERIFY(oldId > 0);
        const QStringList rows = SongRows(m.Library().Table(), oldId);
        const QStringList view = ViewText(p);
        QVERIFY(rows.size() > 40);

        // 导出 MIDI… on the sheet's menu: the song on view at the tempo of the control.
        p.Practice->Tempo->SetValue(120);
        QVERIFY(QDir().mkpath(env.options().desktopDir));
        env.dialogs.fileToSave = QDir(env.options().desktopDir).filePath(QStringLiteral("送别"));
        QMetaObject::invokeMethod(p.SheetMenu(), "aboutToShow");
        p.SheetMenu()->findChild<QAction*>(QStringLiteral("导出 MIDI…"))->trigger();
        QFile midi(env.dialogs.fileToSave + QStringLiteral(".mid"));
        QVERIFY2(midi.open(QIODevice::ReadOnly), qPrintable(env.dialogs.errors.join(u' ')));
        QCOMPARE(midi.readAll(), MidiBytes(SongFromTable(m.Library().Table(), oldId), 120, title));
        QCOMPARE(env.dialogs.filterAsked, QStringLiteral("MIDI (*.mid)"));

        QTest::mouseClick(p.ImgOperExport, Qt::LeftButton);
        const QString file = QDir(env.options().desktopDir).filePath(title + QStringLiteral(".opr"));
        QVERIFY(QFileInfo(file).isFile());
        QCOMPARE(env.dialogs.infos, QStringList{QStringLiteral("歌曲：送别 导出到桌面！")});

        QTest::mouseClick(p.ImgOperDelDB, Qt::LeftButton);
        QCOMPARE(env.dialogs.questions, QStringList{QStringLiteral("删除歌曲：送别，是否继续？")});
        QCOMPARE(env.dialogs.infos.last(), QStringLiteral("歌曲：送别，已删除！"));
        // The song is gone from view too, as at start: nothing to play, a second click asks nothing.
        QCOMPARE(ViewText(p), blank);
        QCOMPARE(p.LabTab1PgId->text(), PageCaption(1));
        QCOMPARE(p.ShownSongID(), 0);
        QTest::mouseClick(p.Practice->ImgDemo, Qt::LeftButton);
        QCOMPARE(p.Practice->Running(), PracticeBar::Mode::None);
        QTest::mouseClick(p.ImgOperDelDB, Qt::LeftButton);
        QCOMPARE(env.dialogs.questions.size(), 1);
        QVERIFY(SongRows(m.Library().Table(), oldId).isEmpty());
        m.ImgOpernShowClick();
        QVERIFY(!p.LabOpMenu[0]->isHidden());
        QVERIFY(!MenuLabel(p, title));

        // Imported while the menu is open: the new song is on view at its first page, and
        // its title is in the menu at once.
        env.dialogs.fileToOpen = file;
        QTest::mouseClick(p.ImgOperImport, Qt::LeftButton);
        QCOMPARE(env.dialogs.infos.last(), QStringLiteral("歌曲：送别，导入完毕！"));
        QVERIFY(env.dialogs.filterAsked.startsWith(
            QStringLiteral("所有支持的文件 (*.opr *.txt *.musicxml *.xml *.mxl *.mid *.midi);;歌谱文件(*.opr);;")));
        QVERIFY(!p.MenuOpen());
        QVERIFY(p.ShownSongID() > 0);
        QCOMPARE(p.ViewPage(), 1);
        QCOMPARE(SongRows(m.Library().Table(), p.ShownSongID()), rows);
        QCOMPARE(ViewText(p), view);
        m.ImgOpernShowClick();
        entry = MenuLabel(p, title);
        QVERIFY(entry);
        QTest::mouseDClick(entry, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(p.ShownSongID() > 0);
        QCOMPARE(SongRows(m.Library().Table(), p.ShownSongID()), rows);
        QCOMPARE(ViewText(p), view);
        QVERIFY(env.dialogs.errors.isEmpty());
    }
};

TAVO_TEST_MAIN(TestShareSongs)
#include "test_share_songs.moc"
