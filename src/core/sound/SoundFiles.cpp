// The sound files in the private temporary folder: written at start, a few pruned at exit.
#include "core/sound/SoundFiles.h"
#include "core/Errors.h"
#include "core/files/FileOps.h"
#include "core/sound/SampleCache.h"
#include "core/sound/Voices.h"
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QResource>

QByteArray SoundResourceBytes(const QString& name)
{
    const QResource res(SoundResourcePath(name));
    if (!res.isValid())
        Raise(QStringLiteral("Resource %1 not found").arg(name));
    // Embedded uncompressed: the bytes are used where they lie.
    if (res.compressionAlgorithm() == QResource::NoCompression)
        return QByteArray::fromRawData(reinterpret_cast<const char*>(res.data()), res.size());
    return res.uncompressedData();
}

namespace {
// Empty when the file holds the bytes, else the system's reason.
QString WriteSoundFile(const QString& path, const QByteArray& bytes)
{
    // A file left by the last start with the very same bytes needs no rewrite: the
    // result is the same and the disk is spared 13 MB at every start.
    if (const auto old = ReadRegularFile(path, bytes.size()); old && *old == bytes)
        return {};
    // Beside it first: a full disk must not leave a cut sample in the file's place.
    try {
        WriteWholeFile(path, bytes);
    } catch (const FileWriteError& e) {
        return e.reason();
    }
    return {};
}
}

void ExtractSounds(const QStringList& soundNames, const QString& tempDir)
{
    for (const QString& name : soundNames) {
        const QString path = tempDir + name + QStringLiteral(".dat");
        if (const QString why = WriteSoundFile(path, SoundResourceBytes(name)); !why.isEmpty())
            Raise(QStringLiteral("Cannot create file \"%1\". %2").arg(path, why));
    }
}

SoundFileWriter::~SoundFileWriter()
{
    Wait();
}

void SoundFileWriter::Start(const QStringList& soundNames, const QString& tempDir, SampleCache& cache,
                            const QStringList& warm, std::function<void(const QString&)> failed)
{
    Wait();
    QList<std::pair<QString, QByteArray>> files;
    files.reserve(soundNames.size());
    for (const QString& name : soundNames) {
        files.append({tempDir + name + QStringLiteral(".dat"), SoundResourceBytes(name)});
        cache.Expect(files.back().first, files.back().second);
    }
    QStringList warmPaths;
    for (const QString& name : warm)
        warmPaths << tempDir + name + QStringLiteral(".dat");
    m_thread = std::thread([files = std::move(files), warmPaths, &cache, failed = std::move(failed)] {
        for (const QString& path : warmPaths)
            cache.Warm(path);
        for (const auto& [path, bytes] : files) {
            if (const QString why = WriteSoundFile(path, bytes); !why.isEmpty()) {
                // The rest would fail alike; every note still plays from memory.
                if (failed)
                    failed(QStringLiteral("无法写入声音文件“%1”：%2。\n本次运行的琴声从内存中播放。").arg(path, why));
                return;
            }
            cache.Written(path);
        }
    });
}

void SoundFileWriter::Wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

int PickPrunePosition(QRandomGenerator& rng)
{
    return int(rng.bounded(191));
}

void PruneSoundsWith(QRandomGenerator& rng, const QStringList& soundNames, const QString& tempDir)
{
    for (int i = 0; i < 6; ++i) {
        const int p = PickPrunePosition(rng);
        // Start-up may have stopped before the paths or the list existed; a relative
        // path would then delete from the working folder.
        if (tempDir.isEmpty() || p >= soundNames.size())
            continue;
        DeleteFiles(tempDir + soundNames[p] + QStringLiteral(".dat"));
    }
}

void PruneSounds(const QStringList& soundNames, const QString& tempDir)
{
    QRandomGenerator rng(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
    PruneSoundsWith(rng, soundNames, tempDir);
}

