// The sound files in the private temporary folder: written at start, a few pruned at exit.
#include "core/sound/SoundFiles.h"
#include "core/Errors.h"
#include "core/files/FileOps.h"
#include "core/sound/Voices.h"
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>

namespace {
// Qt reports a failed flush as "Unknown error"; the system's own reason says more.
QString SystemReason(const QFile& f)
{
    const int err = errno;
    return err ? QString::fromLocal8Bit(std::strerror(err)) : f.errorString();
}
}

void ExtractSounds(const QStringList& soundNames, const QString& tempDir)
{
    for (const QString& name : soundNames) {
        QFile res(SoundResourcePath(name));
        if (!res.open(QIODevice::ReadOnly))
            Raise(QStringLiteral("Resource %1 not found").arg(name));
        const QByteArray bytes = res.readAll();
        res.close();

        const QString path = tempDir + name + QStringLiteral(".dat");
        // A file left by the last start with the very same bytes needs no rewrite: the
        // result is the same and the disk is spared 13 MB at every start.
        if (QFileInfo(path).size() == bytes.size()) {
            QFile old(path);
            if (old.open(QIODevice::ReadOnly) && old.readAll() == bytes)
                continue;
        }
        QFile out(path);
        errno = 0;
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            Raise(QStringLiteral("Cannot create file \"%1\". %2").arg(path, SystemReason(out)));
        // A short write (a full disk) must not pass for a good sample.
        if (out.write(bytes) != bytes.size() || !out.flush())
            Raise(QStringLiteral("Cannot create file \"%1\". %2").arg(path, SystemReason(out)));
    }
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
    QRandomGenerator rng(quint32(QDateTime::currentMSecsSinceEpoch()));
    PruneSoundsWith(rng, soundNames, tempDir);
}

