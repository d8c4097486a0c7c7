#pragma once
// The sound files: every sample written into the private temporary folder at start.
#include <QString>
#include <QStringList>

class QRandomGenerator;

// Writes every named sample as tempDir + name + ".dat"; stops at the first failure.
void ExtractSounds(const QStringList& soundNames, const QString& tempDir);
// Deletes six randomly chosen sound files at exit.
void PruneSounds(const QStringList& soundNames, const QString& tempDir);
// One exit-time pick: a position in 0..190 (the last name, 191, is never picked).
int PickPrunePosition(QRandomGenerator& rng);
// The six picks and deletions of PruneSounds with a given generator.
void PruneSoundsWith(QRandomGenerator& rng, const QStringList& soundNames, const QString& tempDir);
