#pragma once
#include <QString>

inline const QString AppTitle = QStringLiteral("Tavo电脑钢琴");
inline const QString AppVersion = QStringLiteral("1.16");
