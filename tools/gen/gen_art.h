#pragma once
// Shared palette and painting helpers of the window artwork.
#include "gen.h"
#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRectF>
#include <QString>

namespace art {

// Piano lacquer: black with a deep wine undertone, trimmed with gold.
inline const QColor LacquerTop(30, 11, 15);
inline const QColor LacquerMid(38, 13, 19);
inline const QColor LacquerBottom(16, 7, 9);
inline const QColor UnderKeys(12, 6, 7);
inline const QColor kGold(214, 178, 108);
inline const QColor GoldLight(246, 224, 160);
inline const QColor GoldDark(140, 104, 48);
inline const QColor Cream(255, 251, 240);
inline const QColor Felt(122, 18, 32);

// The part of img inside r, r in the picture's logical coordinates.
QImage Crop(const QImage& img, const QRect& r);

QLinearGradient GoldGradient(qreal y0, qreal y1);
// A one-pixel gold rule at row y that fades out towards both ends.
void GoldRule(QPainter& p, int y, qreal x0, qreal x1, qreal strength = 1.0);
// Lacquered wood: vertical gradient, faint grain and a diagonal sheen.
void Lacquer(QPainter& p, const QRectF& r, unsigned seed);
// The strip along the bottom edge of the main window.
void BottomStrip(QPainter& p, const QRectF& r);
// A red felt strip as seen behind the keys.
void FeltStrip(QPainter& p, const QRectF& r);

// Ivory key of size w x h. notchLeft/notchRight: width cut away at the top for a black
// key half; blackH: depth of the cut. The background around the key is left untouched.
void WhiteKey(QPainter& p, qreal w, qreal h, qreal notchLeft, qreal notchRight, qreal blackH, bool pressed);
// A glossy black key occupying body (which may reach outside the picture: halves are
// drawn by clipping the whole key to the picture, so neighbouring halves join).
void BlackKey(QPainter& p, const QRectF& body, bool pressed);
// A small keyboard symbol: white keys with black keys between, inside r.
void MiniKeyboard(QPainter& p, const QRectF& r, int whiteKeys, const QColor& frame);
// The face of the window's small dark buttons: a rounded body, a gloss on its top half while up,
// and a rim that turns gold when pressed.
void DarkButtonFace(QPainter& p, const QRectF& r, qreal radius, bool pressed);
// A w x h picture on black holding a dark button face at `face`.
QImage DarkButton(const PictureOutput& o, int w, int h, const QRectF& face, qreal radius, bool pressed);
// A 43x34 button of the score panel's bottom row with nothing on it yet; its face is the
// rounded 40x22 at (1.5, 1.5).
QImage PanelButton(const PictureOutput& o, bool pressed);

} // namespace art

// Writes the keys of both keyboards and the wide keyboard's background.
bool GenerateKeyPictures(const PictureOutput& o);
// The import, export and delete pictures of the score panel.
bool GenerateShareButtons(const PictureOutput& o);
// The demo and follow buttons of the score panel, released and pressed.
bool GeneratePracticeButtons(const PictureOutput& o);
// Writes the symbol and editing buttons of the entry panel, released and pressed.
bool GenerateEntryPictures(const PictureOutput& o);
