#pragma once
// .mxl: a zip whose META-INF/container.xml names the score. Every entry is bounded in its
// count, its unpacked size and its packing ratio.
#include <QByteArray>
#include <QString>

namespace MusicXmlDetail {

// The score inside the .mxl bytes; a fault raises the one message naming `file`.
QByteArray UnpackMxl(const QByteArray& bytes, const QString& file);

}
