#pragma once
// A note cell with a sharp, flat or natural drawn before its digit: the glyph with a sign's
// transparent overlay laid over it.
#include <QPixmap>
#include <QString>

enum class CellSign { Sharp, Flat, Natural };

// The overlay's resource path below ":/" ("glyph/SIGN_SHARP.png").
QString SignPicturePath(CellSign sign);
// The glyph of that name with the sign over it, at PictureScale() or a chosen scale (1 or 2);
// composed once and kept. A glyph with no picture gives a null pixmap, as GlyphPixmap does.
const QPixmap& SignedGlyphPixmap(const QString& glyph, CellSign sign);
const QPixmap& SignedGlyphPixmap(const QString& glyph, CellSign sign, int scale);
