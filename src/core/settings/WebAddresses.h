#pragma once
// Our own web addresses, kept here only: the page the banner list is refreshed from,
// the forum shown on the about panel and the last help page, and the contact line.
#include <QString>

inline const QString MakerPageAddress = QStringLiteral("http://www.tavopiano.example/");
inline const QString ForumAddress = QStringLiteral("http://bbs.tavopiano.example/");
inline const QString ContactText = QStringLiteral("service@tavopiano.example");
