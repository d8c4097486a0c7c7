#pragma once
// Fonts and text colours shared by the window's labels.
#include <QColor>
#include <QFont>
#include <QList>
#include <QString>

// The layouts give label fonts in pixels, not points.
inline QFont PixelFont(const QString& family, int pixels, bool bold = false)
{
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

inline const QString CreamTextStyle = QStringLiteral("color: rgb(255,251,240); background: transparent;");
inline constexpr QColor CreamText(255, 251, 240);

class QWidget;
// The text colour through the palette: the same look as a style sheet's, without building the
// style sheet machinery, which the window's first paint would pay for.
void SetTextColor(QWidget* w, const QColor& color);

// The fonts of the main window (its caption, the close mark, the key letters), and those of
// the panels, the score panel's first.
QList<QFont> WindowFonts();
QList<QFont> PanelFonts();
// Loads a font on this thread (the fonts a thread has loaded are its own).
void LoadFont(const QFont& font);
