#include "ui/widgets/Styles.h"
#include <QFontMetrics>

QList<QFont> WindowFonts()
{
    const QString hei = QStringLiteral("微软雅黑"), kai = QStringLiteral("楷体"), song = QStringLiteral("宋体");
    const QString tahoma = QStringLiteral("Tahoma");
    return {PixelFont(hei, 21),      PixelFont(hei, 19, true), PixelFont(hei, 17, true), PixelFont(hei, 14),
            PixelFont(kai, 19),      PixelFont(kai, 15),       PixelFont(song, 16),      PixelFont(QStringLiteral("幼圆"), 16),
            PixelFont(tahoma, 14),   PixelFont(tahoma, 18),    PixelFont(tahoma, 19),    PixelFont(tahoma, 20),
            PixelFont(QStringLiteral("DejaVu Sans"), 14)};
}

void LoadFont(const QFont& font)
{
    QFontMetrics(font).horizontalAdvance(QStringLiteral("0a歌"));
}
