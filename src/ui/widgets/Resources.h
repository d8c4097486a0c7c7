#pragma once
#include <QImage>
#include <QString>

// 2 when a screen shows more than one pixel per logical pixel, else 1: the scale of the
// generated pictures to show.
int PictureScale();
// Picture of a generated resource by its path below ":/" (e.g. "pic/back.png") at a scale:
// at 2 the @2x picture, with device pixel ratio 2, so its logical size is the 1x size.
// Not cached.
QImage ReadResourceImage(const QString& path, int scale);
// The picture at PictureScale(), decoded once.
QImage ResourceImage(const QString& path);
