#pragma once
#include <QImage>
#include <QString>
#include <QVector>

struct VoiceEntry {
    int set = 0;    // 1..4
    int slot = 0;   // 0..47
    QString name;   // VOIC_#########
};

// Where pictures are written and at which scale. Painting code works in the 1x picture's
// coordinates; at scale 2 the image carries device pixel ratio 2, so the same code draws
// twice the pixels, and the file is named <name>@2x.<ext>.
struct PictureOutput {
    QString dir;
    int scale = 1;

    QImage NewImage(int w, int h, bool alpha = false) const;
    // Saves below dir; JPEG pictures are written at high quality so the key edges stay clean.
    bool Save(const QImage& img, const QString& name) const;
};

// Each writes its files below outDir (wave/) or out.dir (pic/, glyph/, cursor/); false on failure.
bool GenerateSounds(const QString& outDir, const QVector<VoiceEntry>& voices);
bool GeneratePictures(const PictureOutput& out);
bool GenerateGlyphs(const PictureOutput& out);
// The desktop icon in hicolor layout: outDir/<n>x<n>/apps/tavopiano.png.
bool GenerateIcons(const QString& outDir);
