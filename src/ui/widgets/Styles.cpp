#include "ui/widgets/Styles.h"
#include <QFontMetrics>
#include <QWidget>

QList<QFont> WindowFonts()
{
    const QString tahoma = QStringLiteral("Tahoma");
    return {PixelFont(tahoma, 14), PixelFont(QStringLiteral("微软雅黑"), 17, true), PixelFont(tahoma, 18),
            PixelFont(tahoma, 20)};
}

QList<QFont> PanelFonts()
{
    const QString hei = QStringLiteral("微软雅黑"), kai = QStringLiteral("楷体"), song = QStringLiteral("宋体");
    return {PixelFont(hei, 21),   PixelFont(kai, 19),
            PixelFont(song, 16),  PixelFont(kai, 15),
            PixelFont(QStringLiteral("DejaVu Sans"), 14), PixelFont(hei, 19, true),
            PixelFont(hei, 14),   PixelFont(QStringLiteral("幼圆"), 16),
            PixelFont(QStringLiteral("Tahoma"), 19)};
}

void LoadFont(const QFont& font)
{
    QFontMetrics(font).horizontalAdvance(QStringLiteral("0a歌"));
}

void SetTextColor(QWidget* w, const QColor& color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, color);
    w->setPalette(pal);
}
