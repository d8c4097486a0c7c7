// The entry editor driven like the panel's buttons, with a recording view.
#include "EntryTestSupport.h"
#include <QTest>

namespace {
using Expect = QList<QPair<QString, QString>>;

// Reads one observable of the editor or of what it drew, by key:
// cell:K, rec:I, cursor, caption, cadence, prompt, dur, oct, slur, started,
// viewclears, head (the header's fields) and arcs (shown arcs "position:length").
QString Probe(const EntryDriver& d, const QString& key)
{
    const QString arg = key.section(QLatin1Char(':'), 1);
    if (key.startsWith(QLatin1String("cell:")))
        return d.view.cells.at(size_t(arg.toInt()));
    if (key.startsWith(QLatin1String("rec:")))
        return d.Record(arg.toInt());
    if (key == QLatin1String("cursor"))
        return d.Cursor();
    if (key == QLatin1String("caption"))
        return d.view.caption;
    if (key == QLatin1String("cadence"))
        return d.view.cadence;
    if (key == QLatin1String("prompt"))
        return d.view.prompt;
    if (key == QLatin1String("dur"))
        return QString::number(d.editor.Duration());
    if (key == QLatin1String("oct"))
        return QString::number(d.editor.Octave());
    if (key == QLatin1String("slur"))
        return QString::number(d.editor.SlurCounter());
    if (key == QLatin1String("started"))
        return QString::number(int(d.editor.Started()));
    if (key == QLatin1String("viewclears"))
        return QString::number(d.view.viewClears);
    if (key == QLatin1String("head")) {
        const SongRecord& h = d.editor.Table()[0];
        return QStringList{h.SongName, h.SongNote, h.OpernLong, h.OpernHigh, QString::number(h.Conn), h.InfoType}.join(
            QLatin1Char('|'));
    }
    if (key == QLatin1String("arcs")) {
        QStringList shown;
        for (int a = 1; a <= Score::ArcsPerGrid; ++a) {
            const auto& v = d.view.arcs[size_t(a)];
            const EntryArc& m = d.editor.Arcs()[size_t(a - 1)];
            // What is drawn and what the editor holds must tell the same story.
            if (v.shown != (m.record != 0) || (v.shown && (v.position != m.position || v.length != m.length)))
                return QStringLiteral("view and model differ at arc %1").arg(a);
            if (v.shown)
                shown << QStringLiteral("%1:%2").arg(v.position).arg(v.length);
        }
        return shown.join(QLatin1Char(','));
    }
    qFatal("unknown probe %s", qPrintable(key));
}

Expect E(std::initializer_list<std::pair<const char*, const char*>> list)
{
    Expect e;
    for (const auto& [k, v] : list)
        e.append({QString::fromUtf8(k), QString::fromUtf8(v)});
    return e;
}

QString Repeat(const QString& s, int n)
{
    QStringList l;
    for (int i = 0; i < n; ++i)
        l << s;
    return l.join(QLatin1Char(' '));
}
}

class TestEntryEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void script_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<Expect>("expect");

        QTest::newRow("first add stores the header") << "add"
            << E({{"head", "送别|佚名|佚名|佚名|1|0"}, {"cursor", "0/1"}, {"rec:1", "9000/"}});
        QTest::newRow("second add appends a space") << "add add" << E({{"cursor", "0/2"}, {"cell:2", "NOTE_9005"}, {"rec:2", "9005/2"}});
        QTest::newRow("title of spaces prompts") << "title=~~~ add"
            << E({{"prompt", "请输入歌曲名称"}, {"started", "0"}, {"head", "||||0|"}});
        QTest::newRow("title equal to the prompt does nothing") << "title=请输入歌曲名称 add d5"
            << E({{"prompt", ""}, {"started", "0"}, {"rec:1", "9000/"}});
        QTest::newRow("5 with duration 1 octave 2") << "add dur d1 oct d5"
            << E({{"cell:1", "NOTE_512"}, {"rec:1", "5120/1"}});
        QTest::newRow("音高 wraps 2 to 0") << "add dur d1 oct d5 oct" << E({{"cell:1", "NOTE_510"}, {"oct", "0"}});
        QTest::newRow("音长 on a bar line") << "add s2 dur" << E({{"cell:1", "NOTE_9002"}, {"dur", "1"}});
        QTest::newRow("音长 on a dot") << "add s1 dur" << E({{"cell:1", "NOTE_9101"}});
        QTest::newRow("音长 twice on a dot") << "add s1 dur dur" << E({{"cell:1", "NOTE_9201"}, {"dur", "2"}});
        QTest::newRow("音高 on a rest") << "add d0 oct" << E({{"cell:1", "NOTE_000"}, {"oct", "1"}});
        QTest::newRow("音高 on a symbol") << "add s3 oct" << E({{"cell:1", "NOTE_9003"}, {"oct", "1"}});
        QTest::newRow("add at cell 105 turns the page") << "add add*104 add"
            << E({{"caption", "- 2 -"}, {"cursor", "1/1"}, {"rec:106", "9005/2"}, {"cell:1", "NOTE_9005"},
                  {"cell:2", "NOTE_9000"}, {"viewclears", "1"}});
        QTest::newRow("clear at cell 1 of page 1 redraws page 0") << "add d5 slur slur add*105 clr"
            << E({{"caption", "- 1 -"}, {"cursor", "0/105"}, {"rec:106", "9000/2"}, {"cell:1", "NOTE_501"},
                  {"cell:105", "NOTE_9005"}, {"arcs", "1:2"}});
        QTest::newRow("clear at cell 1 of page 0") << "add d5 clr" << E({{"cursor", "0/1"}, {"cell:1", "NOTE_9000"}, {"rec:1", "9000/2"}});
        QTest::newRow("line break at cell 10") << "add add*9 br"
            << E({{"cursor", "0/36"}, {"rec:11", "9005/2"}, {"rec:35", "9005/2"}, {"rec:36", "9000/"}});
        QTest::newRow("line break at cell 35") << "add add*34 br" << E({{"cursor", "0/36"}, {"rec:36", "9000/"}});
        QTest::newRow("line break at cell 105") << "add add*104 br" << E({{"cursor", "0/105"}, {"caption", "- 1 -"}});
        QTest::newRow("slur six times") << "add d5 slur*5" << E({{"arcs", "1:5"}, {"rec:1", "5015/1"}});
        QTest::newRow("slur six times removes it") << "add d5 slur*6" << E({{"arcs", ""}, {"rec:1", "5010/1"}, {"slur", "0"}});
        QTest::newRow("slur seventh starts again") << "add d5 slur*7" << E({{"arcs", "1:1"}, {"rec:1", "5011/1"}});
        QTest::newRow("slur on a symbol") << "add s2 slur*3" << E({{"arcs", ""}, {"rec:1", "9002/2"}});
        QTest::newRow("add at index 481 does nothing") << "add add*481"
            << E({{"cursor", "4/61"}, {"caption", "- 5 -"}, {"rec:482", "9000/"}});

        // Mends.
        QTest::newRow("line break on the bottom line writes cell 105") << "add add*70 br"
            << E({{"cursor", "1/1"}, {"rec:105", "9005/2"}, {"rec:106", "9005/2"}, {"caption", "- 2 -"}});
        QTest::newRow("digit over a slurred note drops its arc") << "add d5 slur*2 d3"
            << E({{"arcs", ""}, {"rec:1", "3010/1"}, {"slur", "0"}});
        QTest::newRow("symbol over a slurred note drops its arc") << "add d5 slur s2" << E({{"arcs", ""}, {"rec:1", "9002/2"}});
        QTest::newRow("line break stops at the end of the table") << "add add*480 br br br"
            << E({{"cursor", "4/79"}, {"rec:491", "9000/"}, {"rec:492", "9005/2"}, {"rec:499", "9005/2"}});

        // Other rules.
        QTest::newRow("fields are read once") << "add title=别的 art=张三 add" << E({{"head", "送别|佚名|佚名|佚名|1|0"}});
        QTest::newRow("credits kept as typed, time signature 2/4") << "cad art=~李~ add"
            << E({{"head", "送别| 李 |佚名|佚名|0|0"}, {"cadence", "2/4"}});
        QTest::newRow("nothing is written before the start") << "d5 s2 slur br clr" << E({{"rec:1", "9000/"}, {"cursor", "0/1"}, {"cell:1", "NOTE_9000"}});
        QTest::newRow("six arcs on a page at most")
            << "add " + Repeat(QStringLiteral("d5 slur add"), 7)
            << E({{"arcs", "1:1,2:1,3:1,4:1,5:1,6:1"}, {"rec:7", "5011/1"}});
        QTest::newRow("score view clearing keeps the table") << "add d5 slur clearview"
            << E({{"arcs", ""}, {"slur", "0"}, {"cell:1", "NOTE_9000"}, {"rec:1", "5011/1"}});
        QTest::newRow("clear on a note whose arc the view cleared") << "add d5 slur clearview clr"
            << E({{"arcs", ""}, {"rec:1", "9000/2"}, {"cell:1", "NOTE_9000"}});
        QTest::newRow("reset") << "add dur d5 slur add reset"
            << E({{"started", "0"}, {"cursor", "0/1"}, {"caption", "- 1 -"}, {"dur", "0"}, {"oct", "1"},
                  {"slur", "0"}, {"rec:1", "9000/"}, {"head", "||||0|"}});
    }

    void script()
    {
        QFETCH(QString, script);
        QFETCH(Expect, expect);
        EntryDriver d;
        d.Run(script);
        for (const auto& [key, value] : expect)
            QCOMPARE(Probe(d, key) + QStringLiteral("  <- ") + key, value + QStringLiteral("  <- ") + key);
    }

    // Every record the editor wrote carries its own index as SeqID, and no record
    // past the first blank one was touched.
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
