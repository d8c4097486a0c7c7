#pragma once
#include <QImage>
#include <QString>
#include <QStringList>

// 2 when a screen shows more than one pixel per logical pixel, else 1: the scale of the
// generated pictures to show. Asked on the window's thread.
int PictureScale();
// Picture of a generated resource by its path below ":/" (e.g. "pic/back.png") at a scale:
// at 2 the @2x picture, with device pixel ratio 2, so its logical size is the 1x size.
// Not cached.
QImage ReadResourceImage(const QString& path, int scale);
// The picture at the scale shown (PictureScale(), or the one a worker was given), decoded once.
// Safe from any thread, and a picture being decoded on one is waited for, not decoded again.
// The pictures never change, so the cache holds no program state.
QImage ResourceImage(const QString& path, int scale);
QImage ResourceImage(const QString& path);

// The main window's pictures but its background (which it reads itself, first).
QStringList WindowPictures();
// The pictures worth decoding ahead: those of the score and entry panels and the glyphs
// (paths below ":/", 1x names).
QStringList PanelPictures();
