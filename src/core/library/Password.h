#pragma once
// The song library's password, derived at run time from a seed inside the program.
#include <QByteArray>
#include <QString>

extern const char PasswordSeed[];
extern const char DefaultEncodeKey[];
QString KeyedHexEncode(const QByteArray& source, const QByteArray& key);
QString DeriveDatabasePassword(const QByteArray& seed);
