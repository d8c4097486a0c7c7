// Voice tables, the sound files in TempDir, and the small file helpers of PubDef.
#include "core/sound/SoundFiles.h"
#include "core/Errors.h"
#include "ui/shell/PubDef.h"
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtGlobal>

std::array<VoiceTable, 4> VoiceSets;
VoiceTable CurrentVoice;
QStringList SoundNames;

namespace {

struct VoiceName {
    int set;
    int slot;
    const char* name;
};

const VoiceName kVoiceNames[] = {
#include "voice_names.inc"
};

// Voice sets in the order their names are listed (set 2, 3, 4, then 1).
constexpr int kListOrder[4] = {2, 3, 4, 1};

} // namespace

void FillVoiceTables()
{
    for (auto& set : VoiceSets)
        set.fill(QString());
    for (const VoiceName& v : kVoiceNames)
        VoiceSets[v.set - 1][v.slot] = QString::fromLatin1(v.name);
    CurrentVoice = VoiceSets[3];
}

void ListSoundNames()
{
    for (int set : kListOrder)
        for (const QString& name : VoiceSets[set - 1])
            SoundNames << name;
}

QString SoundResourcePath(const QString& name)
{
    return QStringLiteral(":/wave/") + name + QStringLiteral(".wav");
}

void ExtractSounds()
{
    for (const QString& name : std::as_const(SoundNames)) {
        QFile res(SoundResourcePath(name));
        if (!res.open(QIODevice::ReadOnly))
            Raise(QStringLiteral("Resource %1 not found").arg(name));
        const QByteArray bytes = res.readAll();
        res.close();

        const QString path = TempDir + name + QStringLiteral(".dat");
        // A file left by the last start with the very same bytes needs no rewrite: the
        // result is the same and the disk is spared 13 MB at every start.
        if (QFileInfo(path).size() == bytes.size()) {
            QFile old(path);
            if (old.open(QIODevice::ReadOnly) && old.readAll() == bytes)
                continue;
        }
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            Raise(QStringLiteral("Cannot create file \"%1\". %2").arg(path, out.errorString()));
        // A short write (a full disk) must not pass for a good sample.
        if (out.write(bytes) != bytes.size() || !out.flush())
            Raise(QStringLiteral("Cannot create file \"%1\". %2").arg(path, out.errorString()));
    }
}

int PickPrunePosition(QRandomGenerator& rng)
{
    return int(rng.bounded(191));
}

void PruneSoundsWith(QRandomGenerator& rng)
{
    for (int i = 0; i < 6; ++i) {
        const int p = PickPrunePosition(rng);
        // Start-up may have stopped before the paths or the list existed; a relative
        // path would then delete from the working folder.
        if (TempDir.isEmpty() || p >= SoundNames.size())
            continue;
        DeleteFiles(TempDir + SoundNames[p] + QStringLiteral(".dat"));
    }
}

void PruneSounds()
{
    QRandomGenerator rng(quint32(QDateTime::currentMSecsSinceEpoch()));
    PruneSoundsWith(rng);
}

