#pragma once
#include <QString>
#include <QVector>

struct VoiceEntry {
    int set = 0;    // 1..4
    int slot = 0;   // 0..47
    QString name;   // VOIC_#########
};

// Each writes its files below outDir (wave/, pic/, glyph/, cursor/); false on failure.
bool GenerateSounds(const QString& outDir, const QVector<VoiceEntry>& voices);
bool GeneratePictures(const QString& outDir);
bool GenerateGlyphs(const QString& outDir);
// The desktop icon in hicolor layout: outDir/<n>x<n>/apps/tavopiano.png.
bool GenerateIcons(const QString& outDir);
