#include "core/library/Password.h"

const char PasswordSeed[] = "HarmonyTavoKeys";
const char DefaultEncodeKey[] = "Melody";

QString KeyedHexEncode(const QByteArray& source, const QByteArray& key)
{
    const QByteArray k = key.isEmpty() ? QByteArray(DefaultEncodeKey) : key;
    const int keyLength = int(k.size());
    int v = 345;
    QString out = QString::number(v, 16).toUpper().rightJustified(2, u'0');
    int p = 0;
    for (const char c : source) {
        const int b = static_cast<unsigned char>(c);
        v = (b + v) % 255;
        p = p < keyLength ? p + 1 : 1;
        v ^= static_cast<unsigned char>(k.at(p - 1));
        out += QString::number(v, 16).toUpper().rightJustified(2, u'0');
    }
    return out.mid(2, 20);
}

QString DeriveDatabasePassword(const QByteArray& seed)
{
    if (seed.isEmpty())
        return QString();
    static constexpr int positions[] = {3, 8, 7, 1, 2, 4, 9, 14, 13, 15};
    QByteArray picked;
    for (const int pos : positions)
        if (pos <= seed.size())   // a short seed simply gives fewer characters
            picked += seed.at(pos - 1);
    return KeyedHexEncode(picked, QByteArray());
}
