#pragma once
#include <QImage>
#include <QString>
#include <QStringList>

// Picture of a generated resource by its path below ":/" (e.g. "pic/back.png"), decoded once.
// Safe from any thread, and a picture being decoded on one is waited for, not decoded again.
// The pictures never change, so the cache holds no program state.
QImage ResourceImage(const QString& path);

// Every picture of the panels, the glyphs and the second keyboard (paths below ":/").
QStringList PanelPictures();
