// Writes every resource of the piano: samples, window pictures, glyphs and the cursor.
#include "gen.h"
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);   // fonts for the captions drawn into pictures
    if (argc == 3 && QLatin1String(argv[1]) == QLatin1String("--icons"))
        return GenerateIcons(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    if (argc != 3) {
        std::fprintf(stderr, "usage: tavogen OUTDIR VOICES_FILE | tavogen --icons OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QFile voicesFile(QString::fromLocal8Bit(argv[2]));
    if (!voicesFile.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "tavogen: cannot read %s\n", argv[2]);
        return 1;
    }
    QVector<VoiceEntry> voices;
    QTextStream in(&voicesFile);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList f = line.split(' ', Qt::SkipEmptyParts);
        if (f.size() != 3) {
            std::fprintf(stderr, "tavogen: bad voice line: %s\n", qPrintable(line));
            return 1;
        }
        voices.push_back({f[0].toInt(), f[1].toInt(), f[2]});
    }
    for (const char* sub : {"wave", "pic", "glyph", "cursor"})
        QDir().mkpath(out + '/' + QLatin1String(sub));
    if (!GenerateSounds(out, voices))
        return 1;
    // Every picture twice: for ordinary screens and for screens of twice the pixel density.
    for (int scale : {1, 2})
        if (!GeneratePictures({out, scale}) || !GenerateGlyphs({out, scale}))
            return 1;
    return 0;
}
