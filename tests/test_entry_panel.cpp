// The entry panel in the running window: its controls, one real click per kind of
// control, and a song written, saved and opened again from the menu.
#include "KeysTestSupport.h"
#include "ScoreTestSupport.h"
#include "ui/panels/TextWindow.h"
#include "ui/widgets/SignedGlyph.h"
#include <QComboBox>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QLineEdit>
#include <QSignalSpy>

using namespace KeysTest;
using namespace ScoreTest;

namespace {
const QString Title = QStringLiteral("HJK 歌");

QString CellGlyphOf(const EntryPanel& p, int k) { return ShownGlyph(p.Grid->Cells[size_t(k - 1)]); }

void Click(QWidget* w)
{
    QTest::mouseClick(w, Qt::LeftButton);
}

// What a grid shows: every cell's glyph and the places of the arcs that show.
QStringList Shown(const GlyphGrid& g)
{
    QStringList out;
    for (const ClickLabel* c : g.Cells)
        out << ShownGlyph(c);
    for (const ClickLabel* a : g.Arcs)
        if (!a->isHidden())
            out << QStringLiteral("arc %1,%2 %3").arg(a->x()).arg(a->y()).arg(a->width());
    return out;
}
}

class TestEntryPanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void controlsAtTheirPlaces()
    {
        TempEnv env;
        PianoWindows w{env};
        const EntryPanel& p = *w.main->GBxOpernWrite;
        struct Place { const QWidget* w; QRect r; QString hint; };
        const Place places[] = {
            {p.EdSongName, {62, 9, 167, 26}, {}},          {p.EdArt, {62, 40, 62, 21}, {}},
            {p.EdSongWord, {179, 40, 62, 21}, {}},         {p.EdSongComposer, {296, 40, 62, 21}, {}},
            {p.ImgSymbol[1], {15, 264, 32, 32}, "分隔线"}, {p.ImgSymbol[2], {51, 264, 32, 32}, "延长线"},
            {p.ImgSymbol[3], {88, 264, 32, 32}, "连接线"}, {p.ImgSymbol[0], {125, 264, 32, 32}, "附点"},
            {p.ImgSymbol[4], {161, 264, 32, 32}, "空格"},  {p.ImgSymbol[5], {198, 264, 32, 32}, "换行"},
            {p.ImgOperLong, {624, 65, 33, 42}, "音长"},    {p.ImgOperHigh, {624, 107, 33, 42}, "音高"},
            {p.ImgNextOper, {624, 153, 32, 32}, "增加"},   {p.ImgPreOper, {624, 194, 32, 32}, "清除"},
            {p.ImgOperInsDB, {624, 235, 33, 34}, "提交"},  {p.TextButton, {235, 264, 32, 32}, "用文本输入简谱"},
            {p.KeyBox, {372, 40, 62, 21}, "调号"},
        };
        for (const Place& e : places) {
            QCOMPARE(e.w->geometry(), e.r);
            QCOMPARE(e.w->toolTip(), e.hint);
            if (auto* b = qobject_cast<const TImageButton*>(e.w))
                QCOMPARE(b->Picture().size(), e.r.size());
        }
        // The prompt is a placeholder: the field itself is empty.
        QVERIFY(p.EdSongName->text().isEmpty());
        QCOMPARE(p.EdSongName->placeholderText(), QStringLiteral("请输入歌曲名称"));
        QVERIFY(p.EdSongName->font().bold() && p.EdSongName->font().pixelSize() == 19);
        const int digitX[] = {580, 400, 425, 451, 477, 502, 528, 554};
        for (int d = 0; d <= 7; ++d) {
            QCOMPARE(p.LabOpren[size_t(d)]->pos(), QPoint(digitX[d], 266));
            QCOMPARE(p.LabOpren[size_t(d)]->text(), QString::number(d));
        }
        QCOMPARE(p.LabCadence2->pos(), QPoint(18, 8));
        QCOMPARE(p.LabCadence2->text(), QStringLiteral("4/4"));
        QVERIFY(p.LabCadence2->toolTip().isEmpty());   // its hint is data
        QCOMPARE(p.KeyBox->currentText(), QStringLiteral("1=C"));
        QCOMPARE(p.KeyBox->count(), 15);
        QCOMPARE(p.SignButton->pos(), QPoint(350, 266));
        QCOMPARE(p.SignButton->toolTip(), QStringLiteral("升降号"));
        QCOMPARE(p.SignButton->textFormat(), Qt::PlainText);
        // The widest meter stays clear of the title field.
        for (int i = 0; i < 5; ++i)
            w.main->GBxOpernWrite->LabCadence2Click();
        QCOMPARE(p.LabCadence2->text(), QStringLiteral("12/8"));
        QVERIFY(p.LabCadence2->geometry().right() < p.EdSongName->x());
        QCOMPARE(p.Label8->pos(), QPoint(12, 41));
        QCOMPARE(p.Label10->text(), QStringLiteral("作曲： "));
    }

    void writeSaveAndOpenFromTheMenu()
    {
        Started s;
        QVERIFY(s.start());
        TFormPiano& m = s.main;
        EntryPanel& p = *m.GBxOpernWrite;
        Click(m.ImgOpernWrite);
        QVERIFY(p.isVisible());

        // A title of spaces: 增加 empties the field, so its placeholder asks, and focuses it.
        p.EdSongName->setText(QStringLiteral("  "));
        Click(p.ImgNextOper);
        QVERIFY(p.EdSongName->text().isEmpty());
        QCOMPARE(p.EdSongName->placeholderText(), QStringLiteral("请输入歌曲名称"));
        QCOMPARE(m.focusWidget(), p.EdSongName);
        QVERIFY(!p.Editor().Started());

        // Typing into the fields plays nothing, Enter included; afterwards the keys play again.
        const int plays = Plays(s.kb1);
        QTest::keyClicks(p.EdSongName, QStringLiteral("HJK "));
        QInputMethodEvent ime;   // Chinese arrives through the input method
        ime.setCommitString(QStringLiteral("歌"));
        QCoreApplication::sendEvent(p.EdSongName, &ime);
        Click(p.EdArt);
        QTest::keyClicks(p.EdArt, QStringLiteral("L;"));
        QTest::keyClick(p.EdArt, Qt::Key_Return);
        QCOMPARE(Plays(s.kb1), plays);
        QCOMPARE(p.EdSongName->text(), Title);
        QTRY_COMPARE(m.focusWidget(), &m);
        QTest::keyClick(&m, Qt::Key_H);
        QCOMPARE(Plays(s.kb1), plays + 1);

        for (const char* meter : {"2/2", "3/8", "6/8", "9/8", "12/8", "2/4"}) {
            Click(p.LabCadence2);
            QCOMPARE(p.LabCadence2->text(), QLatin1String(meter));
        }
        QSignalSpy pageLabel(&p, &EntryPanel::LabTab2PgIdClicked);
        Click(p.LabTab2PgId);
        QCOMPARE(pageLabel.count(), 1);

        Click(p.ImgNextOper);                       // starts the song
        Click(p.LabOpren[5]);
        QCOMPARE(CellGlyphOf(p, 1), QStringLiteral("NOTE_501"));
        Click(p.ImgOperLong);
        Click(p.ImgOperHigh);
        QCOMPARE(CellGlyphOf(p, 1), QStringLiteral("NOTE_512"));
        Click(p.ImgSymbol[3]);                      // 连接线 over one cell
        QVERIFY(p.Grid->ArcShown(1));
        const std::pair<int, const char*> symbols[] = {{0, "NOTE_9001"}, {1, "NOTE_9002"}, {2, "NOTE_9003"}, {4, "NOTE_9005"}};
        for (const auto& [button, glyph] : symbols) {
            Click(p.ImgNextOper);
            Click(p.ImgSymbol[size_t(button)]);
            QCOMPARE(CellGlyphOf(p, p.Editor().CursorCell()), QLatin1String(glyph));
        }
        Click(p.ImgNextOper);
        Click(p.LabOpren[0]);
        QCOMPARE(CellGlyphOf(p, 6), QStringLiteral("NOTE_010"));
        Click(p.ImgNextOper);
        Click(p.LabOpren[3]);
        Click(p.ImgPreOper);                        // blanks cell 7 and steps back
        QCOMPARE(CellGlyphOf(p, 7), QStringLiteral("NOTE_9000"));
        QCOMPARE(p.Editor().CursorCell(), 6);
        Click(p.ImgSymbol[5]);                      // 换行: spaces to the end of the line
        QCOMPARE(CellGlyphOf(p, 35), QStringLiteral("NOTE_9005"));
        QCOMPARE(p.Editor().CursorCell(), 36);
        Click(p.LabOpren[7]);
        const QStringList written = Shown(*p.Grid);
        ShowGlyph(m.GBxShowOpern->Grid->Cells[0], QStringLiteral("NOTE_512"));   // the save blanks both grids

        Click(p.ImgOperInsDB);
        QCOMPARE(s.env.dialogs.questions, QStringList{QStringLiteral("创建新歌存盘，是否继续？")});
        QCOMPARE(s.env.dialogs.errors, QStringList());
        QVERIFY(!p.Editor().Started());
        QCOMPARE(p.LabStatus->text(), QStringLiteral("已保存：") + Title);
        QCOMPARE(p.LabTab2PgId->text(), QStringLiteral("- 1 -"));
        QCOMPARE(Shown(*p.Grid), QStringList(105, QStringLiteral("NOTE_9000")));
        QCOMPARE(Shown(*m.GBxShowOpern->Grid), QStringList(105, QStringLiteral("NOTE_9000")));

        // Listed at once, and it opens as it was written.
        Click(m.ImgOpernShow);
        ClickLabel* entry = nullptr;
        for (ClickLabel* l : m.GBxShowOpern->LabOpMenu)
            if (!l->isHidden() && l->text() == Title)
                entry = l;
        QVERIFY(entry);
        QTest::mouseDClick(entry, Qt::LeftButton);
        QCOMPARE(Shown(*m.GBxShowOpern->Grid), written);
        QCOMPARE(m.GBxShowOpern->LabCadence1->text(), QStringLiteral("2/4"));
        QCOMPARE(m.GBxShowOpern->LabArt->text(), QStringLiteral("演唱：L;"));
    }

    // Notes typed on the PC keyboard, the 文本 window with an error and with 确定, then the
    // saved song copied from the score panel as text that reads back to the same cells.
    void typedTextAndCopied()
    {
        Started s;
        QVERIFY(s.start());
        TFormPiano& m = s.main;
        EntryPanel& p = *m.GBxOpernWrite;
        Click(m.ImgOpernWrite);
        p.EdSongName->setText(QStringLiteral("打字歌"));
        Click(p.ImgNextOper);
        m.setFocus();
        const int plays = Plays(s.kb1);
        for (int key : {Qt::Key_1, Qt::Key_5, Qt::Key_Period, Qt::Key_Minus, Qt::Key_H, Qt::Key_Slash, Qt::Key_Backspace})
            QTest::keyClick(&m, Qt::Key(key));
        QCOMPARE(Plays(s.kb1), plays + 1);   // H still plays and writes nothing
        QCOMPARE(QStringList(
                     {CellGlyphOf(p, 1), CellGlyphOf(p, 2), CellGlyphOf(p, 3), CellGlyphOf(p, 4), CellGlyphOf(p, 5)}),
                 QStringList({"NOTE_101", "NOTE_501", "NOTE_9001", "NOTE_9003", "NOTE_9000"}));

        Click(p.TextButton);
        QVERIFY(p.TextWin->isVisible());
        QCOMPARE(p.TextWin->TextBox->toPlainText(), QStringLiteral("歌名：打字歌\n演唱：佚名\n作词：佚名\n作曲：佚名\n节拍：4/4\n1 5. -\n"));
        p.TextWin->TextBox->setPlainText(QStringLiteral("歌名：<b>文本歌</b>\n1 2 8"));
        Click(p.TextWin->OkButton);
        QCOMPARE(p.TextWin->StatusLine->text(), QStringLiteral("第 2 行第 5 列：8 不是音级（0 到 7）"));
        QVERIFY(p.TextWin->isVisible());
        QCOMPARE(CellGlyphOf(p, 3), QStringLiteral("NOTE_9001"));   // the editor is unchanged
        p.TextWin->TextBox->setPlainText(QStringLiteral("歌名：<b>文本歌</b>\n1=D 2/4\n1 1 | 5 5 | (6 6) | 5 - |\n一 闪 一 闪"));
        p.TextWin->RefreshStatus();
        QCOMPARE(p.TextWin->StatusLine->text(), QStringLiteral("12 格，8 拍；跳过了 1 行歌词等文字（第 4 行起）"));
        m.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m));
        QTest::keyClick(p.TextWin->TextBox, Qt::Key_Return, Qt::ControlModifier);
        QTRY_VERIFY(!p.TextWin->isVisible());
        QCOMPARE(p.EdSongName->text(), QStringLiteral("<b>文本歌</b>"));
        QCOMPARE(p.LabCadence2->text(), QStringLiteral("2/4"));
        QCOMPARE(p.KeyBox->currentText(), QStringLiteral("1=D"));   // the text's key is kept
        QCOMPARE(p.Editor().CursorCell(), 12);
        QVERIFY(p.Grid->ArcShown(1));
        QCOMPARE(CellGlyphOf(p, 7), QStringLiteral("NOTE_601"));

        Click(p.ImgOperInsDB);
        QVERIFY(!p.Editor().Started());
        Click(m.ImgOpernShow);
        for (ClickLabel* l : m.GBxShowOpern->LabOpMenu)
            if (!l->isHidden() && l->text() == QStringLiteral("<b>文本歌</b>"))
                QTest::mouseDClick(l, Qt::LeftButton);
        QCOMPARE(m.GBxShowOpern->SheetMenu()->actions().at(0)->text(), QStringLiteral("复制简谱文本"));
        QGuiApplication::clipboard()->clear();
        m.setFocus();
        QTest::keyClick(&m, Qt::Key_C, Qt::ControlModifier);
        const QString copied = QGuiApplication::clipboard()->text();
        QCOMPARE(copied, QStringLiteral("歌名：<b>文本歌</b>\n演唱：佚名\n作词：佚名\n作曲：佚名\n节拍：2/4\n1=D\n"
                                        "1 1 | 5 5 | (6 6) | 5 - |\n"));   // saved, viewed and copied with its key
    }

    // The key, the meter and a sign chosen with the panel's own controls are saved with the
    // song and come back when it is opened: "1=D 3/4" over the view, ♯ on the note.
    void keyMeterAndSignSaved()
    {
        Started s;
        QVERIFY(s.start());
        TFormPiano& m = s.main;
        EntryPanel& p = *m.GBxOpernWrite;
        Click(m.ImgOpernWrite);
        p.EdSongName->setText(QStringLiteral("升号歌"));
        Click(p.ImgNextOper);
        for (int i = 0; i < 4; ++i)   // 4/4 → 2/2 → 3/8 → 6/8 → 9/8
            Click(p.LabCadence2);
        p.KeyBox->setCurrentIndex(p.KeyBox->findText(QStringLiteral("1=D")));
        Q_EMIT p.KeyBox->activated(p.KeyBox->currentIndex());
        for (int d : {1, 2, 4}) {
            Click(p.LabOpren[size_t(d)]);
            Click(p.ImgNextOper);
        }
        Click(p.LabOpren[4]);
        QCOMPARE(CellGlyphOf(p, 4), QStringLiteral("NOTE_401"));
        Click(p.SignButton);   // the second 4 goes ♯
        QCOMPARE(p.Grid->Cells[3]->pixmap().cacheKey(),
                 SignedGlyphPixmap(QStringLiteral("NOTE_401"), CellSign::Sharp).cacheKey());
        for (int i = 0; i < 3; ++i)   // 9/8 → 12/8 → 2/4 → 3/4, after the start too
            Click(p.LabCadence2);
        QCOMPARE(p.LabCadence2->text(), QStringLiteral("3/4"));
        Click(p.ImgOperInsDB);
        QVERIFY(!p.Editor().Started());
        QCOMPARE(p.LabCadence2->text(), QStringLiteral("3/4"));   // kept for the next song, as the old label was

        Click(m.ImgOpernShow);
        ClickLabel* entry = nullptr;
        for (ClickLabel* l : m.GBxShowOpern->LabOpMenu)
            if (!l->isHidden() && l->text() == QStringLiteral("升号歌"))
                entry = l;
        QVERIFY(entry);
        QTest::mouseDClick(entry, Qt::LeftButton);
        QCOMPARE(m.GBxShowOpern->LabCadence1->text(), QStringLiteral("1=D 3/4"));
        QCOMPARE(m.GBxShowOpern->Grid->Cells[3]->pixmap().cacheKey(),
                 SignedGlyphPixmap(QStringLiteral("NOTE_401"), CellSign::Sharp).cacheKey());
        int id = 0;
        for (const SongRecord& r : m.Library().Table())
            if (r.SongName == QStringLiteral("升号歌"))
                id = r.SongID;
        const Song saved = m.Library().SongOf(id);
        QCOMPARE(saved.header->TimeSignature(), (Meter{3, 4}));
        QCOMPARE(saved.header->key.Name(), QStringLiteral("1=D"));
        QCOMPARE(saved.cells.at(3).alter, 1);
    }

    // Digits typed before the start start the song (or ask for the title); the cursor frame
    // stands where the next cell goes; leaving with cells not saved asks first.
    void typedStartCursorAndLeaving()
    {
        Started s;
        QVERIFY(s.start());
        TFormPiano& m = s.main;
        EntryPanel& p = *m.GBxOpernWrite;
        Click(m.ImgOpernWrite);
        auto cursorOver = [&](int position) {
            return !p.EntryCursor->isHidden() &&
                   p.EntryCursor->geometry().contains(p.Grid->Cells[size_t(position - 1)]->geometry());
        };
        QVERIFY(cursorOver(1));

        // No title yet: the digit asks for one and writes nothing.
        m.setFocus();
        QTest::keyClick(&m, Qt::Key_5);
        QVERIFY(!p.Editor().Started());
        QCOMPARE(m.focusWidget(), p.EdSongName);
        QCOMPARE(CellGlyphOf(p, 1), QStringLiteral("NOTE_9000"));
        QVERIFY(cursorOver(1));

        p.EdSongName->setText(QStringLiteral("新歌"));
        m.setFocus();
        QTest::keyClick(&m, Qt::Key_5);
        QVERIFY(p.Editor().Started());
        QCOMPARE(CellGlyphOf(p, 1), QStringLiteral("NOTE_501"));
        QVERIFY(cursorOver(2));
        QTest::keyClick(&m, Qt::Key_3);
        QVERIFY(cursorOver(3));
        Click(p.ImgNextOper);                 // the space it places is the open cell
        QVERIFY(cursorOver(3));
        Click(p.LabOpren[1]);                 // a clicked digit fills it
        QCOMPARE(CellGlyphOf(p, 3), QStringLiteral("NOTE_101"));
        QVERIFY(cursorOver(4));
        QTest::keyClick(&m, Qt::Key_Backspace);
        QVERIFY(cursorOver(3));

        // Another panel: No keeps the song and the panel; Yes gives them up.
        RecordingDialogs& d = s.env.dialogs;
        d.answers = {false};
        Click(m.ImgHelp);
        QCOMPARE(d.questions, QStringList{QStringLiteral("曲谱尚未保存，要放弃吗？")});
        QVERIFY(p.isVisible() && (!m.GBxHelp.IfBuilt() || !m.GBxHelp.IfBuilt()->isVisible()));
        QVERIFY(p.Editor().Started());
        d.answers = {false};
        QVERIFY(!m.close());                  // the window stays as well
        QVERIFY(m.isVisible());
        QCOMPARE(d.questions.size(), 2);
        d.answers = {true};
        Click(m.ImgOpernShow);
        QVERIFY(m.GBxShowOpern->isVisible() && !p.isVisible());
        QVERIFY(!p.Editor().Started());
        QCOMPARE(CellGlyphOf(p, 1), QStringLiteral("NOTE_9000"));
        QVERIFY(cursorOver(1));

        // Nothing written, nothing asked; the panel's own "X" keeps the song without asking.
        Click(m.ImgOpernWrite);
        Click(m.ImgAbout);
        QCOMPARE(d.questions.size(), 3);
        Click(m.ImgOpernWrite);
        m.setFocus();
        QTest::keyClick(&m, Qt::Key_7);
        Click(p.CloseLabel());
        Click(m.ImgHelp);
        QCOMPARE(d.questions.size(), 3);
        QCOMPARE(p.Editor().Table()[1].SongNote, QStringLiteral("7"));
    }

    // The 文本 box does not wrap, and a pasted line of 2 MB kept a core busy while it was open:
    // a paste that would make a line longer than a few thousand characters is refused.
    void longLinePasteRefused()
    {
        Started s;
        QVERIFY(s.start());
        TFormPiano& m = s.main;
        EntryPanel& p = *m.GBxOpernWrite;
        Click(m.ImgOpernWrite);
        Click(p.TextButton);
        BoundedTextBox& box = *p.TextWin->TextBox;
        const QString before = box.toPlainText();
        QGuiApplication::clipboard()->setText(QString(2'000'000, u'1'));
        box.paste();
        QCOMPARE(box.toPlainText(), before);
        QCOMPARE(p.TextWin->StatusLine->text(), QStringLiteral("粘贴的文本有一行太长（2000000 个字符），一行最多 4000 个，没有粘贴。"));

        QGuiApplication::clipboard()->setText(QStringLiteral("1 2 |\n") + QString(3000, u'-'));
        box.paste();
        QCOMPARE(box.toPlainText(), before + QStringLiteral("1 2 |\n") + QString(3000, u'-'));
        box.paste();   // its last line would join the 3,000 already on the caret's line
        QCOMPARE(box.toPlainText().size(), before.size() + 6 + 3000);
        QCOMPARE(p.TextWin->StatusLine->text(), QStringLiteral("粘贴的文本有一行太长（6000 个字符），一行最多 4000 个，没有粘贴。"));
    }
};

TAVO_TEST_MAIN(TestEntryPanel)
#include "test_entry_panel.moc"
