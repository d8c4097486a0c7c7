// The entry editor driven like the panel's buttons, with a recording view.
#include "EntryTestSupport.h"
#include <QTest>

namespace {
// One observable by key: cell:K rec:I cursor caption cadence prompt dur oct slur
// started viewclears head (the header's fields) arcs (shown arcs "position:length"), key (the
// key box), marks ("record:mark" in order), sign:K (the sign drawn on cell K).
QString Probe(const EntryDriver& d, const QString& key)
{
    const int n = key.section(QLatin1Char(':'), 1).toInt();
    const SongRecord& h = d.editor.Table()[0];
    if (key == QLatin1String("arcs")) {
        QStringList shown;
        for (int a = 1; a <= Score::ArcsPerGrid; ++a) {
            const auto& v = d.view.arcs[size_t(a)];
            const EntryArc& m = d.editor.Arcs()[size_t(a - 1)];
            // What is drawn and what the editor holds must agree.
            if (v.shown != (m.record != 0) || (v.shown && (v.position != m.position || v.length != m.length)))
                return QStringLiteral("arc %1 differs").arg(a);
            if (v.shown)
                shown << QStringLiteral("%1:%2").arg(v.position).arg(v.length);
        }
        return shown.join(QLatin1Char(','));
    }
    const std::map<QString, QString> simple{
        {"cursor", d.Cursor()}, {"caption", d.view.caption}, {"cadence", d.view.cadence}, {"prompt", d.view.prompt},
        {"dur", QString::number(d.editor.Duration())}, {"oct", QString::number(d.editor.Octave())},
        {"slur", QString::number(d.editor.SlurCounter())}, {"started", QString::number(d.editor.Started())},
        {"viewclears", QString::number(d.view.viewClears)}, {"next", QString::number(d.editor.NextCellPosition())},
        {"unsaved", QString::number(d.editor.HasUnsavedCells())},
        {"head", QStringList{h.SongName, h.SongNote, h.OpernLong, h.OpernHigh, QString::number(h.Conn), h.InfoType}.join(u'|')}};
    if (key == QLatin1String("marks")) {
        QStringList marks;
        for (const SongMark& m : d.editor.Marks())
            marks << QStringLiteral("%1:%2").arg(m.SeqID).arg(m.Mark);
        return marks.join(QLatin1Char(','));
    }
    if (key == QLatin1String("key"))
        return d.view.key.Name();
    if (key.startsWith(QLatin1String("sign:")))
        return AccidentalSign(d.view.signs.at(size_t(n)));
    if (key.startsWith(QLatin1String("cell:")))
        return d.view.cells.at(size_t(n));
    if (key.startsWith(QLatin1String("rec:")))
        return d.Record(n);
    return simple.at(key);
}
}

class TestEntryEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void script_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("expect");   // key=value;key=value
        auto row = [](const char* name, const char* script, const char* expect) {
            QTest::newRow(name) << QString::fromUtf8(script) << QString::fromUtf8(expect);
        };
        row("first add stores the header", "add", "head=送别|佚名|佚名|佚名|1|0;cursor=0/1;rec:1=9000/");
        row("second add appends a space", "add add", "cursor=0/2;cell:2=NOTE_9005;rec:2=9005/2");
        row("title of spaces prompts", "title=~~~ add", "prompt=请输入歌曲名称;started=0;head=||||0|");
        row("title equal to the prompt", "title=请输入歌曲名称 add d5", "prompt=;started=0;rec:1=9000/");
        row("5 with duration 1 octave 2", "add dur d1 oct d5", "cell:1=NOTE_512;rec:1=5120/1");
        row("音高 then wraps 2 to 0", "add dur d1 oct d5 oct", "cell:1=NOTE_510;oct=0");
        row("音长 on a bar line", "add s2 dur", "cell:1=NOTE_9002;dur=1");
        row("音长 on a dot", "add s1 dur", "cell:1=NOTE_9101");
        row("音长 twice on a dot", "add s1 dur dur", "cell:1=NOTE_9201;dur=2");
        row("音高 on a rest", "add d0 oct", "cell:1=NOTE_000;oct=1");
        row("音高 on a symbol", "add s3 oct", "cell:1=NOTE_9003;oct=1");
        row("add at cell 105 turns the page", "add add*104 add",
            "caption=- 2 -;cursor=1/1;rec:106=9005/2;cell:1=NOTE_9005;cell:2=NOTE_9000;viewclears=1");
        row("clear at cell 1 of page 1", "add d5 slur slur add*105 clr",
            "caption=- 1 -;cursor=0/105;rec:106=9000/2;cell:1=NOTE_501;cell:105=NOTE_9005;arcs=1:2");
        row("clear at cell 1 of page 0", "add d5 clr", "cursor=0/1;cell:1=NOTE_9000;rec:1=9000/2");
        row("line break at cell 10", "add add*9 br", "cursor=0/36;rec:11=9005/2;rec:35=9005/2;rec:36=9000/");
        row("line break at cell 35", "add add*34 br", "cursor=0/36;rec:36=9000/");
        row("line break at cell 105", "add add*104 br", "cursor=0/105;caption=- 1 -");
        row("slur five times", "add d5 slur*5", "arcs=1:5;rec:1=5015/1");
        row("slur six times removes it", "add d5 slur*6", "arcs=;rec:1=5010/1;slur=0");
        row("slur seventh starts again", "add d5 slur*7", "arcs=1:1;rec:1=5011/1");
        row("slur on a symbol", "add s2 slur*3", "arcs=;rec:1=9002/2");
        row("add at index 481 does nothing", "add add*481", "cursor=4/61;caption=- 5 -;rec:482=9000/");
        // Mends.
        row("line break on the bottom line writes 105", "add add*70 br", "cursor=1/1;rec:105=9005/2;rec:106=9005/2;caption=- 2 -");
        row("digit over a slurred note drops its arc", "add d5 slur*2 d3", "arcs=;rec:1=3010/1;slur=0");
        row("symbol over a slurred note drops its arc", "add d5 slur s2", "arcs=;rec:1=9002/2");
        row("line break stops at the end of the table", "add add*480 br br br",
            "cursor=4/79;rec:491=9000/;rec:492=9005/2;rec:499=9005/2");
        // Other rules.
        row("fields are read once", "add title=别的 art=张三 add", "head=送别|佚名|佚名|佚名|1|0");
        row("credits as typed, 2/4", "cad*6 art=~李~ add", "head=送别| 李 |佚名|佚名|0|0;cadence=2/4;marks=");
        // The meter steps through the list; the header keeps the nearest old code and the meter beside it.
        row("4/4 steps to 2/2", "cad add", "cadence=2/2;head=送别|佚名|佚名|佚名|1|0;marks=0:meter=2/2");
        row("6/8 is kept as 2/4 and a mark", "cad*3 add", "cadence=6/8;head=送别|佚名|佚名|佚名|0|0;marks=0:meter=6/8");
        row("12/8 wraps round to 2/4", "cad*6", "cadence=2/4");
        row("3/4 after the start reaches the song", "add d1 cad*7",
            "cadence=3/4;head=送别|佚名|佚名|佚名|1|0;marks=0:meter=3/4");
        row("back to 4/4 drops the mark", "add cad*8", "cadence=4/4;marks=");
        row("key before the start", "1=bB add", "key=1=♭B;marks=0:key=bB");
        row("key and meter together", "add 1=D cad*7", "key=1=D;marks=0:key=D,0:meter=3/4");
        row("back to C drops the key", "add 1=D 1=C", "key=1=C;marks=");
        // 升降号: the note under the cursor goes ♯, ♭, then plain; the sign lasts the bar.
        row("sharp on the cursor note", "add d4 sign", "marks=1:alter=1;sign:1=♯");
        row("flat after the sharp", "add d4 sign*2", "marks=1:alter=-1;sign:1=♭");
        row("third press clears it", "add d4 sign*3", "marks=;sign:1=");
        row("a plain note after a sharp in the bar shows ♮", "add d4 sign add d4", "sign:1=♯;sign:2=♮;marks=1:alter=1");
        row("the same sign again is carried", "add d4 sign add d4 sign", "sign:2=;marks=1:alter=1,2:alter=1");
        row("a bar line ends the sign", "add d4 sign add s2 add d4", "sign:3=;marks=1:alter=1");
        row("a sign on the later note only", "add d4 add d4 sign", "sign:1=;sign:2=♯");
        row("no sign on a rest or symbol", "add d0 sign add s2 sign", "marks=");
        row("a digit over the note drops its sign", "add d4 sign d5", "marks=;sign:1=");
        row("no sign before the start", "sign", "marks=;started=0");
        row("nothing written before the start", "d5 s2 slur br clr", "rec:1=9000/;cursor=0/1;cell:1=NOTE_9000");
        row("six arcs on a page at most", "add d5 slur add d5 slur add d5 slur add d5 slur add d5 slur add d5 slur add d5 slur add",
            "arcs=1:1,2:1,3:1,4:1,5:1,6:1;rec:7=5011/1");
        row("score view clearing keeps the table", "add d5 slur clearview", "arcs=;slur=0;cell:1=NOTE_9000;rec:1=5011/1");
        // A digit typed before the start starts the song; without a title it asks for one.
        row("typed digit starts the song", "t5", "started=1;rec:1=5010/1;cursor=0/1;head=送别|佚名|佚名|佚名|1|0");
        row("typed digit without a title", "title= t5", "started=0;prompt=请输入歌曲名称;rec:1=9000/");
        row("typed digits follow one another", "t5 t3 t1", "rec:2=3010/1;rec:3=1010/1;cursor=0/3;next=4");
        // Where the next cell goes, and what counts as unsaved.
        row("next before the start", "", "next=1;unsaved=0");
        row("next on the open first cell", "add", "next=1;unsaved=0");
        row("next after a written cell", "add d5", "next=2;unsaved=1");
        row("next on the space 增加 placed", "add d5 add", "next=2;unsaved=1");
        row("next after a cleared cell", "add d5 add d3 clr", "next=2;unsaved=1");
        row("next at the end of a page", "add add*104 d5", "next=0");
        row("next at the last index", "add add*480 d5", "next=0");
        row("every cell cleared again", "add d5 add d3 clr clr", "started=1;unsaved=0");
        row("abandon", "add d5 slur add d3 abandon", "started=0;unsaved=0;cursor=0/1;caption=- 1 -;arcs=;rec:1=9000/1;next=1;head=|9|0|0|0|0");
        row("reset", "add dur d5 slur add reset", "started=0;cursor=0/1;caption=- 1 -;dur=0;oct=1;slur=0;rec:1=9000/;head=||||0|");
    }
    void script()
    {
        QFETCH(QString, script);
        QFETCH(QString, expect);
        EntryDriver d;
        d.Run(script);
        for (const QString& pair : expect.split(QLatin1Char(';'))) {
            const QString key = pair.section(QLatin1Char('='), 0, 0);
            QCOMPARE(key + QLatin1Char('=') + Probe(d, key), pair);
        }
    }

    // Written records carry their index as SeqID; nothing past the end was touched.
    void writtenRecordsCarryTheirIndex()
    {
        EntryDriver d;
        d.Run(QStringLiteral("add d1 add d2 oct add s2 add*200 br d7 slur"));
        const int end = EntrySongEnd(d.editor.Table());
        QCOMPARE(end, d.editor.CursorIndex() + 1);
        for (int i = 1; i < end; ++i)
            QCOMPARE(d.editor.Table()[size_t(i)].SeqID, i);
        for (int i = end; i < Score::EntryRecordCount; ++i)
            QCOMPARE(d.Record(i), QStringLiteral("9000/"));
    }
};

QTEST_GUILESS_MAIN(TestEntryEditor)
#include "test_entry_editor.moc"
