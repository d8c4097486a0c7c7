// MusicXML import of a 1,000-note, two-part score (with the choice of melody), and export
// of the longest song as MusicXML and as a three-sheet PDF; each against its goal.
#include "core/formats/MusicXml.h"
#include "core/formats/JianpuText.h"
#include "ui/print/ScorePrinter.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {
QByteArray ThousandNotes()
{
    static const char* steps[] = {"C", "D", "E", "F", "G", "A", "B"};
    QByteArray melody, bass;
    for (int m = 0; m < 250; ++m) {
        melody += "<measure number=\"" + QByteArray::number(m + 1) + "\">";
        if (m == 0)
            melody += "<attributes><divisions>4</divisions><key><fifths>1</fifths><mode>major</mode></key>"
                      "<time><beats>4</beats><beat-type>4</beat-type></time></attributes>";
        for (int n = 0; n < 4; ++n) {
            const int i = m * 4 + n;
            melody += QByteArray("<note><pitch><step>") + steps[i % 7] + "</step><octave>5</octave></pitch>"
                      "<duration>4</duration><voice>1</voice><type>quarter</type></note>"
                      "<note><chord/><pitch><step>" + steps[(i + 2) % 7] + "</step><octave>4</octave></pitch>"
                      "<duration>4</duration><voice>1</voice><type>quarter</type></note>";
        }
        melody += "</measure>";
        bass += "<measure number=\"" + QByteArray::number(m + 1) + "\">" +
                QByteArray(m == 0 ? "<attributes><divisions>4</divisions></attributes>" : "") +
                "<note><pitch><step>C</step><octave>3</octave></pitch><duration>8</duration><type>half</type></note>"
                "<note><pitch><step>G</step><octave>2</octave></pitch><duration>8</duration><type>half</type></note>"
                "</measure>";
    }
    return "<?xml version=\"1.0\"?><score-partwise version=\"4.0\"><work><work-title>千音</work-title></work>"
           "<part-list><score-part id=\"P1\"><part-name>Flute</part-name></score-part>"
           "<score-part id=\"P2\"><part-name>Bass</part-name></score-part></part-list>"
           "<part id=\"P1\">" + melody + "</part><part id=\"P2\">" + bass + "</part></score-partwise>";
}

double MedianMs(int rounds, const std::function<void()>& run)
{
    std::vector<double> ms;
    QElapsedTimer t;
    for (int i = 0; i < rounds; ++i) {
        t.start();
        run();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    const QString xmlPath = tmp.filePath(QStringLiteral("a.musicxml"));
    QFile f(xmlPath);
    f.open(QIODevice::WriteOnly);
    f.write(ThousandNotes());
    f.close();

    int chosen = -1, notes = 0;
    const double import = MedianMs(20, [&] {
        const Melody m = ReadMusicXml(xmlPath);
        chosen = LikelyMelodyPart(m);
        notes = m.parts[size_t(chosen)].NoteCount() + m.parts[1].NoteCount();
    });

    // Reference: the XML reader alone walking the same file.
    const double scan = MedianMs(20, [&] {
        QFile in(xmlPath);
        in.open(QIODevice::ReadOnly);
        QXmlStreamReader r(&in);
        while (!r.atEnd())
            r.readNext();
    });

    QString text = QStringLiteral("title: 长歌\ntime: 2/4\n");
    for (int i = 0; i < 74; ++i)
        text += QStringLiteral("1_ 2_ (5 | 5) 3 | ");
    const SongTableType rows = ParseSongText(text, QStringLiteral("20260101")).at(0).Rows();
    qsizetype bytes = 0;
    const double xml = MedianMs(20, [&] { bytes = WriteMusicXml(SongFromRows(rows)).size(); });
    int sheets = 0;
    const QString pdfPath = tmp.filePath(QStringLiteral("a.pdf"));
    const double pdf = MedianMs(10, [&] { sheets = ScorePrinter::WritePdf(pdfPath, SongFromRows(rows)); });

    std::printf("import MusicXML (%d notes in 2 parts, melody part %d): median %.2f ms, goal 100 ms"
                " (QXmlStreamReader alone: %.2f ms)\n", notes, chosen + 1, import, scan);
    std::printf("export MusicXML (%d cells, %lld bytes):             median %.2f ms, goal 200 ms\n",
                int(rows.size()) - 1, qlonglong(bytes), xml);
    std::printf("export PDF (%d A4 sheets):                            median %.2f ms, goal 200 ms\n", sheets, pdf);
    return 0;
}
