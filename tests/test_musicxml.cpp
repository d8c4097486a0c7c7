// MusicXML in (plain and .mxl, hostile files included) and out, the sheet's export menu,
// and the printed pages.
#include "TestSupport.h"
#include "core/formats/Conversion.h"
#include "core/formats/MidiFile.h"
#include "core/formats/MusicXml.h"
#include "core/formats/JianpuText.h"
#include "core/score/Timeline.h"
#include "ui/print/ScorePrinter.h"
#include <QAction>
#include <QMenu>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <zip.h>

namespace {

QByteArray Doc(const QByteArray& parts, const QByteArray& head = {})
{
    return "<?xml version=\"1.0\"?><score-partwise version=\"4.0\">" + head +
           "<part-list><score-part id=\"P1\"><part-name>Melody</part-name></score-part></part-list>"
           "<part id=\"P1\">" + parts + "</part></score-partwise>";
}

QByteArray XNote(const char* step, int octave, int duration, const QByteArray& extra = {})
{
    return "<note>" + extra + "<pitch><step>" + step + "</step><octave>" + QByteArray::number(octave) +
           "</octave></pitch><duration>" + QByteArray::number(duration) + "</duration></note>";
}

// Each note of the first part as "pitch@start+length" in quarters, "~" when tied on.
QString Describe(const Melody& m, int part = 0)
{
    QStringList out;
    const double q = m.ticksPerQuarter;
    for (const MelodyNote& n : m.parts.at(size_t(part)).notes)
        out << QStringLiteral("%1@%2+%3%4").arg(n.pitch).arg(n.start / q).arg(n.length / q).arg(n.tieToNext ? "~" : "");
    return out.join(u' ');
}

// A zip made by libzip itself; entries of name and bytes.
QByteArray Zip(const QTemporaryDir& dir, const std::vector<std::pair<QByteArray, QByteArray>>& entries)
{
    const QString path = dir.filePath(QStringLiteral("z.zip"));
    QFile::remove(path);
    int err = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    for (const auto& [name, bytes] : entries) {
        // libzip never frees the buffer of an empty entry, so none is handed over then.
        char* copy = nullptr;
        if (!bytes.isEmpty()) {
            copy = static_cast<char*>(malloc(size_t(bytes.size())));
            memcpy(copy, bytes.constData(), size_t(bytes.size()));
        }
        zip_source_t* source = zip_source_buffer(z, copy, zip_uint64_t(bytes.size()), copy ? 1 : 0);
        if (zip_file_add(z, name.constData(), source, 0) < 0)
            zip_source_free(source);   // a refused entry stays ours to free
    }
    zip_close(z);
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QByteArray Container(const QByteArray& root)
{
    return "<?xml version=\"1.0\"?><container><rootfiles><rootfile full-path=\"" + root +
           "\" media-type=\"application/vnd.recordare.musicxml+xml\"/></rootfiles></container>";
}

const QByteArray kMeasures = Doc(
    "<measure number=\"0\" implicit=\"yes\"><attributes><divisions>2</divisions><key><fifths>1</fifths>"
    "<mode>minor</mode></key><time><beats>3</beats><beat-type>4</beat-type></time></attributes>" +
    XNote("D", 4, 2) + "</measure><measure number=\"1\">" + XNote("G", 4, 3, "") + XNote("A", 4, 1) +
    XNote("B", 4, 2, "<tie type=\"start\"/>") + "</measure><measure number=\"2\">" + XNote("B", 4, 2) +
    "<note><rest/><duration>4</duration></note></measure>",
    "<work><work-title>小调</work-title></work><identification><creator type=\"composer\">甲</creator>"
    "<creator type=\"lyricist\">乙</creator></identification>");

} // namespace

class TestMusicXml : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsWhatTheFileSays_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("notes");
        QTest::newRow("pickup, dots, ties, rests") << kMeasures << "62@0+1 67@1+1.5 69@2.5+0.5 71@3+1~ 71@4+1";
        QTest::newRow("a chord keeps its top note")
            << Doc("<measure><attributes><divisions>1</divisions></attributes>" + XNote("C", 4, 1) +
                     XNote("G", 4, 1, "<chord/>") + XNote("E", 4, 1, "<chord/>") + XNote("D", 4, 1) + "</measure>")
            << "67@0+1 62@1+1";
        QTest::newRow("the upper voice over backup; a lower voice fills its rests")
            << Doc("<measure><attributes><divisions>1</divisions></attributes>" + XNote("C", 5, 2) +
                     "<note><rest/><duration>2</duration></note><backup><duration>4</duration></backup>" +
                     XNote("E", 4, 1) + XNote("F", 4, 1) + XNote("G", 4, 1) + "<forward><duration>1</duration></forward>"
                     "</measure>")
            << "72@0+2 67@2+1";
        QTest::newRow("triplets on a grid of thirds; grace notes take no time")
            << Doc("<measure><attributes><divisions>3</divisions></attributes>" + XNote("C", 4, 1) +
                     XNote("D", 4, 1) + XNote("E", 4, 1) + "<note><grace/><pitch><step>A</step><octave>4</octave>"
                     "</pitch></note><note><pitch><step>F</step><alter>1</alter><octave>4</octave></pitch><type>"
                     "quarter</type><dot/></note></measure>")
            << "60@0+0.333333 62@0.333333+0.333333 64@0.666667+0.333333 66@1+1.5";
        QTest::newRow("timewise, transposed")
            << QByteArray("<score-timewise><part-list><score-part id=\"A\"/></part-list><measure><part id=\"A\">"
                          "<attributes><divisions>1</divisions><transpose><chromatic>-2</chromatic></transpose>"
                          "</attributes>" + XNote("D", 4, 2) + "</part></measure><measure><part id=\"A\">" +
                          XNote("E", 4, 1) + "</part></measure></score-timewise>")
            << "60@0+2 62@2+1";
        QByteArray attributes;
        for (int i = 0; i < 63; ++i)
            attributes += " a" + QByteArray::number(i) + "=\"=\"";
        QTest::newRow("64 attributes, marks in quoted values, comments and CDATA")
            << Doc("<measure><!-- <x a=1 b=2> --><attributes><divisions>1</divisions></attributes>"
                   "<note" + attributes + " b='x>y'><pitch><step>C</step><octave>4</octave></pitch>"
                   "<duration>1</duration><![CDATA[<a b=\"1\" c=\"2\">]]></note></measure>")
            << "60@0+1";
    }
    void readsWhatTheFileSays()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, notes);
        const Melody m = ParseMusicXml(xml, QStringLiteral("a.musicxml"));
        QCOMPARE(Describe(m), notes);
    }

    void keepsTheScoreAroundTheNotes()
    {
        const Melody m = ParseMusicXml(kMeasures, QStringLiteral("a.musicxml"));
        QCOMPARE(m.title, QStringLiteral("小调"));
        QCOMPARE(m.composer, QStringLiteral("甲"));
        QCOMPARE(m.lyricist, QStringLiteral("乙"));
        QVERIFY(m.key.known && m.key.fifths == 1 && m.key.minor);
        QCOMPARE(m.times.size(), size_t(1));
        QCOMPARE(m.times[0].beats, 3);
        const long long q = m.ticksPerQuarter;
        QCOMPARE(m.barStarts, (std::vector<long long>{q, 4 * q}));
        QCOMPARE(m.parts[0].name, QStringLiteral("Melody"));
    }

    // A later signature of the melody's part is noted where it starts (the song keeps the first);
    // a note's dynamics is its played loudness, a share of forte.
    void laterKeysAndPlayedLoudness()
    {
        const auto key = [](int fifths) {
            return "<attributes><key><fifths>" + QByteArray::number(fifths) + "</fifths></key></attributes>";
        };
        const Melody m = ParseMusicXml(
            Doc("<measure><attributes><divisions>1</divisions></attributes>" + key(2) +
                XNote("D", 4, 2, "") + "</measure><measure>" + key(2) + XNote("E", 4, 2) + "</measure><measure>" +
                key(-1) + "<note dynamics=\"120\"><pitch><step>F</step><octave>4</octave></pitch><duration>2"
                "</duration></note></measure>"),
            QStringLiteral("k.musicxml"));
        QVERIFY(m.key.known && m.key.fifths == 2);
        QCOMPARE(m.keyChanges, std::vector<long long>{4LL * m.ticksPerQuarter});
        QCOMPARE(m.parts[0].notes.back().velocity, 108);
        QCOMPARE(m.parts[0].notes.front().velocity, 0);
    }

    void refusesHostileAndBrokenFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("problem");
        QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE score-partwise [<!ENTITY a \"aaaaaaaaaa\">";
        for (int i = 1; i < 10; ++i)
            laughs += "<!ENTITY " + QByteArray(1, char('a' + i)) + " \"" + ("&" + QByteArray(1, char('a' + i - 1)) + ";").repeated(10) + "\">";
        laughs += "]><score-partwise>&j;</score-partwise>";
        QTest::newRow("entity expansion") << laughs << "实体";
        QTest::newRow("deep nesting") << Doc(QByteArray("<a>").repeated(1000)) << "嵌套";
        QTest::newRow("not XML") << QByteArray("MThd\0\0\0\6", 8) << "XML";
        QTest::newRow("another XML") << QByteArray("<html/>") << "不是 MusicXML";
        QTest::newRow("no notes") << Doc("<measure/>") << "没有音符";
        QTest::newRow("divisions of zero") << Doc("<measure><attributes><divisions>0</divisions></attributes></measure>") << "divisions";
        QTest::newRow("endless duration") << Doc("<measure>" + XNote("C", 4, 1000000000) + "</measure>") << "超出范围";
        QTest::newRow("a broken zip") << QByteArray("PK\3\4garbage") << ".mxl";
        QByteArray attributes;
        for (int i = 0; i < 20000; ++i)
            attributes += " a" + QByteArray::number(i) + "=\"1\"";
        QTest::newRow("20,000 attributes") << Doc("<measure><note" + attributes + "/></measure>") << "属性太多";
        QTest::newRow("65 attributes") << Doc("<measure" + attributes.left(attributes.indexOf(" a65=")) + "/>") << "属性太多";
        QTest::newRow("a start tag of 70 KB")
            << Doc("<measure><note default-x=\"" + QByteArray(70 * 1024, '1') + "\"/></measure>") << "标签太长";
    }
    void refusesHostileAndBrokenFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        try {
            ParseMusicXml(bytes, QStringLiteral("坏.xml"));
            QFAIL("read a file it should refuse");
        } catch (const TavoError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("“坏.xml”")) && e.text().contains(problem), qPrintable(e.text()));
        }
    }

    // A melody in G with a pickup and a piano part, as MuseScore 3 packs it.
    void aScoreFromANotationProgram()
    {
        const Melody m = ReadMusicXml(QStringLiteral(TAVO_SOURCE_DIR "/tests/data/musescore_g_major.mxl"));
        QCOMPARE(m.title, QStringLiteral("G 调小曲"));
        QCOMPARE(MelodyPartLabels(m).join(u'|'), QStringLiteral("Flute（11 个音）|Piano（4 个音）"));
        QCOMPARE(LikelyMelodyPart(m), 0);
        const ConvertedSong song = ConvertMelody(m, 0, {}, QStringLiteral("20260101"));
        QVERIFY2(song.summary.startsWith(QStringLiteral("原调 1=G")), qPrintable(song.summary));
        QStringList cells;
        for (const SongRecord& r : song.Rows())
            if (IsCellRow(r))
                cells << CellCode(r);
        // 5, | 1. 2_ (3 | 3) 2_ 7,_ 1 | 5 - 3 | 1 - - |
        QCOMPARE(cells.join(u' '), QStringLiteral("5000 9002 1010 9001 2110 3012 9002 3010 2110 7100 1010 9002 5010 "
                                                  "9003 3010 9002 1010 9003 9003 9002"));
    }

    void compressedScores()
    {
        QTemporaryDir dir;
        const QByteArray score = Doc("<measure>" + XNote("C", 4, 1) + "</measure>");
        const auto read = [&](const std::vector<std::pair<QByteArray, QByteArray>>& entries) {
            try {
                return Describe(ParseMusicXml(Zip(dir, entries), QStringLiteral("s.mxl")));
            } catch (const TavoError& e) {
                return e.text();
            }
        };
        QCOMPARE(read({{"META-INF/container.xml", Container("in/s.xml")}, {"in/s.xml", score}}), QStringLiteral("60@0+1"));
        QCOMPARE(read({{"s.musicxml", score}}), QStringLiteral("60@0+1"));
        QVERIFY(read({{"META-INF/container.xml", Container("gone.xml")}, {"s.xml", score}}).contains(QStringLiteral("找不到乐谱")));
        // Megabytes of one byte pack into a few kilobytes.
        QVERIFY(read({{"META-INF/container.xml", Container("s.xml")}, {"s.xml", QByteArray(40 << 20, ' ')}})
                    .contains(QStringLiteral("解压后太大")));
        QVERIFY(read({{"s.xml", QByteArray(20 << 20, ' ')}}).contains(QStringLiteral("压缩比")));
        std::vector<std::pair<QByteArray, QByteArray>> many;
        for (int i = 0; i <= MusicXmlLimits::ZipEntries; ++i)
            many.push_back({"f" + QByteArray::number(i), {}});
        QVERIFY(read(many).contains(QStringLiteral("太多")));
    }

    // Every mangled file ends in a melody or one message naming it.
    void fuzzedFilesEndInAMelodyOrAMessage()
    {
        QTemporaryDir dir;
        QRandomGenerator rng(18);
        const QByteArray seeds[] = {kMeasures, WriteMusicXml(ParseSongText(QStringLiteral(
            "title: t\ntime: 2/4\n(1 2 | 2) 3_ 4_ | 5. 6_ | 1' - |\n"), QStringLiteral("20260101")).at(0).song)};
        int melodies = 0, messages = 0;
        for (int i = 0; i < 700; ++i) {
            QByteArray b = seeds[i % 2];
            // Mostly changes a well-formed file keeps: numbers, notes doubled or dropped.
            for (int k = int(rng.bounded(1, 4)); k > 0 && !b.isEmpty(); --k) {
                const int at = int(rng.bounded(b.size()));
                const int note = int(b.indexOf("<note", at)), noteEnd = int(b.indexOf("</note>", note));
                switch (rng.bounded(6)) {
                case 0: b[at] = char(rng.bounded(256)); break;
                case 1: b.truncate(at); break;
                case 2: b.insert(at, b.mid(at, int(rng.bounded(400)))); break;
                case 3:
                    if (note >= 0 && noteEnd > note)
                        b.insert(note, b.mid(note, noteEnd + 7 - note).repeated(int(rng.bounded(1, 50))));
                    break;
                case 4:
                    if (note >= 0 && noteEnd > note)
                        b.remove(note, noteEnd + 7 - note);
                    break;
                default:
                    for (int d = at; d < b.size(); ++d)
                        if (b[d] >= '0' && b[d] <= '9') {
                            b.insert(d, QByteArray::number(rng.bounded(2'000'000'000) - 1'000'000'000));
                            break;
                        }
                    break;
                }
            }
            // The second half of the files travels in a zip, some zips mangled too.
            if (i >= 350) {
                b = Zip(dir, {{"META-INF/container.xml", Container("s.xml")}, {"s.xml", b}});
                if (i % 3 == 0)
                    for (int k = 0; k < 4; ++k)
                        b[int(rng.bounded(b.size()))] = char(rng.bounded(256));
            }
            try {
                const Melody m = ParseMusicXml(b, QStringLiteral("f.xml"));
                QVERIFY(LikelyMelodyPart(m) >= 0);
                ++melodies;
            } catch (const TavoError& e) {
                QVERIFY2(e.text().contains(QStringLiteral("“f.xml”")), qPrintable(e.text()));
                ++messages;
            }
        }
        qInfo("fuzz: %d melodies, %d messages", melodies, messages);
        QVERIFY(melodies > 50 && messages > 50);
    }

    // Song → MusicXML → melody holds the song's sounded notes and its bar lines.
    void writtenScoresReadBackAsTheSong()
    {
        const SongTableType rows = ParseSongText(QStringLiteral("title: 来回 <&>\ntime: 4/4\n1_. 2__ 3 5 (6 | 6) - - 0 |"
                                                                " 1'__ 7__ 6_ 5. 4_ 3 | 3 - - - | 1, 7, 0 0 |\n"),
                                                 QStringLiteral("20260101")).at(0).Rows();
        const QByteArray xml = WriteMusicXml(SongFromRows(rows));
        QVERIFY(xml.contains("<score-partwise version=\"4.0\">"));
        const Melody m = ParseMusicXml(xml, QStringLiteral("out.musicxml"));
        QCOMPARE(m.title, QStringLiteral("来回 <&>"));
        const Timeline tl = BuildTimeline(SongFromRows(rows), Sounding::InSongKey);
        static const int scale[] = {0, 2, 4, 5, 7, 9, 11};
        QStringList expected, got;
        for (const TimelineEvent& e : tl.events)
            if (e.degree > 0)
                expected << QStringLiteral("%1@%2+%3").arg(48 + 12 * e.octave + scale[e.degree - 1]).arg(e.start).arg(e.length);
        const double q = m.ticksPerQuarter;
        const auto& notes = m.parts[0].notes;
        for (size_t i = 0; i < notes.size(); ++i) {
            if (notes[i].pitch < 0)
                continue;
            long long end = notes[i].start + notes[i].length;
            const size_t first = i;
            while (notes[i].tieToNext && i + 1 < notes.size() && notes[i + 1].pitch == notes[first].pitch) {
                ++i;
                end = notes[i].start + notes[i].length;
            }
            got << QStringLiteral("%1@%2+%3").arg(notes[first].pitch).arg(notes[first].start / q).arg((end - notes[first].start) / q);
        }
        QCOMPARE(got, expected);
        std::vector<long long> bars;
        for (double b : tl.bars)
            if (b < tl.beats)
                bars.push_back(std::llround(b * q));
        QCOMPARE(m.barStarts, bars);

        // And the conversion brings back the same cells.
        const auto cells = [](const SongTableType& t) {
            QStringList out;
            for (size_t i = 1; i < t.size(); ++i)
                out << CellCode(t[i]);
            return out.join(u' ');
        };
        QCOMPARE(cells(ConvertMelody(m, 0, {}, QStringLiteral("20260101")).Rows()), cells(rows));
    }

    // Song → MusicXML → song and song → MIDI → song keep the cells with their signs, the key
    // and the meter.
    void keyMeterAndSignsRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("1=D 3/4, a sign carried and cancelled") << "1=D 3/4\n5, #4, 5, | 1 - #1 | 2 =1 7, | 1 - - |";
        QTest::newRow("1=bB 6/8, flats") << "1=bB 6/8\n1_ 2_ 3_ b7_ 6_ 5_ | 4 . 5 . | b3 . 2_ 1_ 7,_ | 1 - - |";
        QTest::newRow("1=A 2/2, a raised fifth over the bar line")
            << "1=A 2/2\n6 7 1' #5 | 6 - - #5 | 6 3' 2' 1' | 7 6 #5 6 | 6 - - - |";
        QTest::newRow("1=bE 3/8, upper octave") << "1=bE 3/8\n5_ 1'_ 7_ | 1' . | b7_ 6_ 5_ | 5 . |";
        QTest::newRow("1=C 4/4, diatonic") << "4/4\n1 2 3 4 | 5 - - - |";
    }
    void keyMeterAndSignsRoundTrip()
    {
        QFETCH(QString, text);
        const JianpuParse parse = ParseJianpu(text, {JianpuMode::Paste, QStringLiteral("20260101"), 1});
        QVERIFY2(parse.ok(), qPrintable(parse.summary()));
        const Song song = parse.songs.at(0).song;
        for (const bool midi : {false, true}) {
            const Melody m = midi ? ParseMidi(MidiBytes(song, 90, QStringLiteral("t")))
                                  : ParseMusicXml(WriteMusicXml(song), QStringLiteral("t.musicxml"));
            const ConvertedSong back = ConvertMelody(m, 0, QStringLiteral("t"), QStringLiteral("20260101"));
            const QString via = midi ? QStringLiteral("MIDI") : QStringLiteral("MusicXML");
            QVERIFY2(back.song.cells == song.cells, qPrintable(via + ": " + WriteJianpu(back.song)));
            QCOMPARE(back.song.header->key, song.header->key);
            QCOMPARE(back.song.header->TimeSignature(), song.header->TimeSignature());
            QCOMPARE(back.song.header->timeCode, song.header->timeCode);
            QVERIFY2(back.summary == QStringLiteral("原调 ") + song.header->key.Name(), qPrintable(back.summary));
        }
    }

    // A staff names its notes, so a sign comes back as written even where a MIDI file, which
    // has only pitches, is spelled by the line's direction (G♯ falling to G reads ♭6 there).
    void musicXmlKeepsItsNoteNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("1=D, a sharp falling to its natural") << "1=D 3/4\n6 #4 =4 | 3 - - |";
        QTest::newRow("1=C, sharps falling") << "2/4\n1 2 | 3 4 | #5 5 | 3 1 | 6 #1' | 1' 7 | 5 2 | 1 - |";
        QTest::newRow("1=bB, a flat rising") << "1=bB 2/4\n1 2 | b3 3 | 4 5 | 6 b7 | 7 1' | 5 3 | 2 - | 1 - |";
    }
    void musicXmlKeepsItsNoteNames()
    {
        QFETCH(QString, text);
        const JianpuParse parse = ParseJianpu(text, {JianpuMode::Paste, QStringLiteral("20260101"), 1});
        QVERIFY2(parse.ok(), qPrintable(parse.summary()));
        const Song song = parse.songs.at(0).song;
        const ConvertedSong staff = ConvertMelody(ParseMusicXml(WriteMusicXml(song), QStringLiteral("t.musicxml")), 0,
                                                  QStringLiteral("t"), QStringLiteral("20260101"));
        QVERIFY2(staff.song.cells == song.cells, qPrintable(WriteJianpu(staff.song)));
        const ConvertedSong midi = ConvertMelody(ParseMidi(MidiBytes(song, 90, QStringLiteral("t"))), 0,
                                                 QStringLiteral("t"), QStringLiteral("20260101"));
        QList<int> sent, heard;
        for (const Cell& c : song.cells)
            if (c.IsNote())
                sent << CellPitch(song, c, Sounding::InSongKey);
        for (const Cell& c : midi.song.cells)
            if (c.IsNote())
                heard << CellPitch(midi.song, c, Sounding::InSongKey);
        QCOMPARE(heard, sent);
    }

    // The staff spells each note in the key: a sign where the numbered notation shows one,
    // named as the staff needs it (♭3 in D is F natural).
    void exportSpellsInTheKey_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("staff");
        QTest::newRow("1=D: a sharp, carried, cancelled, a flat that is a natural")
            << "1=D 3/4\n#4 4 =4 | b3 =3 1' |"
            << "fifths 2 | 3/4 G1/4 sharp G1/4 G4 natural | F4 natural F1/4 sharp D5";
        QTest::newRow("1=bB 6/8") << "1=bB 6/8\nb7,_ 1_ #4 - | 5 - - |"
                                  << "fifths -2 | 6/8 A-1/4 flat B-1/4 E5 natural | F5";
        QTest::newRow("1=C 2/4") << "2/4\n#1 =1 | 1' 7, |"
                                 << "fifths 0 | 2/4 C1/4 sharp C4 natural | C5 B3";
    }
    void exportSpellsInTheKey()
    {
        QFETCH(QString, text);
        QFETCH(QString, staff);
        const JianpuParse parse = ParseJianpu(text, {JianpuMode::Paste, QStringLiteral("20260101"), 1});
        QVERIFY2(parse.ok(), qPrintable(parse.summary()));
        QXmlStreamReader x(WriteMusicXml(parse.songs.at(0).song));
        QStringList out;
        QString note, beats;
        while (!x.atEnd()) {
            if (x.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QStringView name = x.name();
            if (name == u"fifths")
                out << QStringLiteral("fifths ") + x.readElementText();
            else if (name == u"beats")
                beats = x.readElementText();
            else if (name == u"beat-type")
                out << QStringLiteral("| ") + beats + u'/' + x.readElementText();
            else if (name == u"measure" && !out.isEmpty() && !out.back().startsWith(u'|'))
                out << QStringLiteral("|");
            else if (name == u"step")
                note = x.readElementText();
            else if (name == u"alter")
                note += x.readElementText() + u'/';
            else if (name == u"octave")
                out << note + x.readElementText();
            else if (name == u"accidental")
                out << x.readElementText();
        }
        QCOMPARE(out.join(u' '), staff);
    }

    // The sheet's menu writes MusicXML and PDF; five view pages print on three sheets.
    void sheetMenuExportsAndPrints()
    {
        TempEnv env;
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        QString notes;
        for (int i = 0; i < 74; ++i)
            notes += QStringLiteral("1_ 2_ (5 | 5) 3 | ");
        const auto songs = ParseSongText(QStringLiteral("title: 长歌\ntime: 2/4\n") + notes, QStringLiteral("20260101"));
        for (SongRecord r : songs.at(0).Rows()) {
            r.SongID = 7;
            m.Library().Table().push_back(r);
        }
        ScorePanel& panel = *m.GBxShowOpern;
        panel.DrawPage(QStringLiteral("7"), 1);
        const auto trigger = [&](const char* text) {
            QAction* a = panel.SheetMenu()->findChild<QAction*>(QString::fromUtf8(text));
            QVERIFY(a);
            Q_EMIT panel.SheetMenu()->aboutToShow();
            QVERIFY(a->isEnabled());
            a->trigger();
        };
        const QString keep = qEnvironmentVariable("TAVO_KEEP_EXPORTS");   // to look at by hand
        env.dialogs.fileToSave = (keep.isEmpty() ? env.home() : keep) + QStringLiteral("/长歌");
        trigger("导出 MusicXML…");
        QFile xml(env.dialogs.fileToSave + QStringLiteral(".musicxml"));
        QVERIFY(xml.open(QIODevice::ReadOnly));
        QCOMPARE(xml.readAll(), WriteMusicXml(SongFromTable(m.Library().Table(), 7)));
        env.dialogs.choice = 0;
        trigger("打印 / PDF…");
        QFile pdf(env.dialogs.fileToSave + QStringLiteral(".pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        QCOMPARE(QString::fromLatin1(bytes).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b"))), 3);
        QVERIFY(env.dialogs.errors.isEmpty());

        panel.OpenMenu();
        Q_EMIT panel.SheetMenu()->aboutToShow();
        for (QAction* a : panel.SheetMenu()->actions())
            QVERIFY(!a->isEnabled());
    }
};

TAVO_TEST_MAIN(TestMusicXml)
#include "test_musicxml.moc"
