#pragma once
#include <QImage>
#include <QString>

// Picture of a generated resource by its path below ":/" (e.g. "pic/back.png"), decoded once.
QImage ResourceImage(const QString& path);
