#pragma once
// Decoded samples kept in memory, keyed by the sound file's path, size and modification time:
// the file on disk still decides what is heard, but a note reads it only after it changed.
// A file that is still being written, or could not be written, plays from the bytes it was
// to hold.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>
#include <mutex>

struct SoundData;

class SampleCache {
public:
    // UI thread. The sound of the file at `path`, read and decoded only when the cache has
    // nothing for its size and time. Throws a TavoError naming the path and the reason.
    std::shared_ptr<const SoundData> Sound(const QString& path);

    // Any thread. `path` is to receive `bytes`: until Written, and for good when writing
    // fails, the path plays from them.
    void Expect(const QString& path, const QByteArray& bytes);
    // Any thread. The file at `path` now holds the expected bytes; from here on the disk decides.
    void Written(const QString& path);
    // Any thread. Decodes the expected bytes ahead, so the first note finds them ready.
    void Warm(const QString& path);

    // Paths playing from memory because their file is not (yet) written.
    int FromMemory() const;

private:
    struct Entry {
        QByteArray memory;      // what the file is to hold; empty when it came from disk alone
        bool onDisk = false;    // size and time describe the file the sound came from
        qint64 size = -1;
        qint64 mtimeNs = 0;
        std::shared_ptr<const SoundData> sound;
    };

    // Stores a sound decoded from `memory` unless the entry changed meanwhile; returns it either way.
    std::shared_ptr<const SoundData> Keep(const QString& path, const QByteArray& memory,
                                          std::shared_ptr<const SoundData> sound);

    mutable std::mutex m_lock;
    QHash<QString, Entry> m_entries;
};
