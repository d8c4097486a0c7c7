#include "core/sound/SampleCache.h"
#include "core/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/sound/Mixer.h"
#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {
constexpr qint64 MaxSoundFile = 64 * 1024 * 1024;

struct FileKey {
    qint64 size = -1;
    qint64 mtimeNs = 0;
};

FileKey KeyOf(const struct stat& st)
{
    return {qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

[[noreturn]] void CannotOpen(const QString& path, const QString& why)
{
    Raise(QStringLiteral("无法打开声音文件“%1”。%2").arg(path, why));
}

std::shared_ptr<const SoundData> Decode(const QString& path, const QByteArray& bytes)
{
    QString why;
    auto sound = SoundData::FromWave(bytes.constData(), bytes.size(), &why);
    if (!sound)
        CannotOpen(path, why);
    return sound;
}
}

std::shared_ptr<const SoundData> SampleCache::Sound(const QString& path)
{
    // Decoding takes a while: it runs outside the lock, so the writer thread and Warm are not held up.
    QByteArray memory;
    {
        std::lock_guard lock(m_lock);
        auto it = m_entries.find(path);
        if (it != m_entries.end() && !it->onDisk && !it->memory.isEmpty()) {
            if (it->sound)
                return it->sound;
            memory = it->memory;
        }
    }
    if (!memory.isEmpty())
        return Keep(path, memory, Decode(path, memory));
    const QByteArray local = QFile::encodeName(path);
    struct stat st;
    if (::stat(local.constData(), &st) != 0)
        CannotOpen(path, QString::fromLocal8Bit(std::strerror(errno)));
    const FileKey now = KeyOf(st);
    {
        std::lock_guard lock(m_lock);
        auto it = m_entries.find(path);
        if (it != m_entries.end() && it->onDisk && it->size == now.size && it->mtimeNs == now.mtimeNs
            && (it->sound || !it->memory.isEmpty())) {
            if (it->sound)
                return it->sound;
            memory = it->memory;   // written from memory, never played yet
        }
    }
    if (!memory.isEmpty())
        return Keep(path, memory, Decode(path, memory));

    // New or changed on disk: read it, keyed by what was actually read.
    QFile f(path);
    qint64 size = 0;
    QString why;
    // A pipe in a sound file's place would hold the note for good.
    if (Platform::OpenRegularFile(path, f, &size, &why) != Platform::OpenFault::None)
        CannotOpen(path, why);
    if (::fstat(f.handle(), &st) != 0)
        CannotOpen(path, QString::fromLocal8Bit(std::strerror(errno)));
    if (st.st_size > MaxSoundFile)
        CannotOpen(path, QStringLiteral("文件太大。"));
    const QByteArray bytes = f.read(MaxSoundFile);
    if (bytes.size() != st.st_size)
        CannotOpen(path, f.errorString());
    auto sound = Decode(path, bytes);
    const FileKey read = KeyOf(st);
    std::lock_guard lock(m_lock);
    Entry& e = m_entries[path];
    e.memory.clear();
    e.onDisk = true;
    e.size = read.size;
    e.mtimeNs = read.mtimeNs;
    e.sound = sound;
    return sound;
}

std::shared_ptr<const SoundData> SampleCache::Keep(const QString& path, const QByteArray& memory,
                                                   std::shared_ptr<const SoundData> sound)
{
    std::lock_guard lock(m_lock);
    auto it = m_entries.find(path);
    // Expected anew meanwhile: the new bytes decide the next note; this one plays what it decoded.
    if (it != m_entries.end() && !it->sound && it->memory.constData() == memory.constData())
        it->sound = sound;
    return sound;
}

void SampleCache::Expect(const QString& path, const QByteArray& bytes)
{
    std::lock_guard lock(m_lock);
    Entry& e = m_entries[path];
    e = Entry{};
    e.memory = bytes;
}

void SampleCache::Written(const QString& path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return;   // gone already: the memory still plays
    const FileKey key = KeyOf(st);
    std::lock_guard lock(m_lock);
    auto it = m_entries.find(path);
    if (it == m_entries.end())
        return;
    it->onDisk = true;
    it->size = key.size;
    it->mtimeNs = key.mtimeNs;
}

void SampleCache::Warm(const QString& path)
{
    QByteArray bytes;
    {
        std::lock_guard lock(m_lock);
        auto it = m_entries.constFind(path);
        if (it == m_entries.constEnd() || it->sound || it->memory.isEmpty())
            return;
        bytes = it->memory;
    }
    QString why;
    std::shared_ptr<const SoundData> sound = SoundData::FromWave(bytes.constData(), bytes.size(), &why);
    if (sound)   // otherwise the note says why when it is played
        Keep(path, bytes, std::move(sound));
}

int SampleCache::FromMemory() const
{
    std::lock_guard lock(m_lock);
    int n = 0;
    for (const Entry& e : m_entries)
        n += !e.onDisk && !e.memory.isEmpty();
    return n;
}
