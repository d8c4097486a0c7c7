#pragma once
// The sound files: every sample written into the private temporary folder at start.
#include <QString>
#include <QStringList>
#include <functional>
#include <thread>

class QRandomGenerator;
class SampleCache;

// The embedded bytes of a sample, where they lie; throws "Resource <name> not found".
QByteArray SoundResourceBytes(const QString& name);

// Writes every named sample as tempDir + name + ".dat"; stops at the first failure.
void ExtractSounds(const QStringList& soundNames, const QString& tempDir);
// Writes the sound files on a worker thread that starts at once. Until a file is written,
// and for good when it cannot be, its note plays from the embedded sample.
class SoundFileWriter {
public:
    SoundFileWriter() = default;
    ~SoundFileWriter();   // waits for the writing to end
    SoundFileWriter(const SoundFileWriter&) = delete;
    SoundFileWriter& operator=(const SoundFileWriter&) = delete;
    // Hands every sample to the cache, then writes on the worker. `warm` names are decoded
    // first, so their first note is ready. `failed` runs on the worker, at most once, with
    // the text to show. Throws for a missing resource before anything is written.
    void Start(const QStringList& soundNames, const QString& tempDir, SampleCache& cache, const QStringList& warm,
               std::function<void(const QString&)> failed);
    // Until every file is written or the writing stopped.
    void Wait();

private:
    std::thread m_thread;
};

// Deletes six randomly chosen sound files at exit.
void PruneSounds(const QStringList& soundNames, const QString& tempDir);
// One exit-time pick: a position in 0..190 (the last name, 191, is never picked).
int PickPrunePosition(QRandomGenerator& rng);
// The six picks and deletions of PruneSounds with a given generator.
void PruneSoundsWith(QRandomGenerator& rng, const QStringList& soundNames, const QString& tempDir);
