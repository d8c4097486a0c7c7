#pragma once
// Small file helpers: ini values, and copy and delete without prompts.
#include <QByteArray>
#include <QString>
#include <optional>

// Text from a file or the web: UTF-8 when it is valid, else the system's code page (GB18030).
QString DecodeText(const QByteArray& bytes);

QString IniReadString(const QString& file, const QString& section, const QString& key, const QString& def);
void IniWriteString(const QString& file, const QString& section, const QString& key, const QString& value);
bool CopyFiles(const QString& from, const QString& to);
bool DeleteFiles(const QString& path);
// Writes the whole file or nothing; a failure is a TavoError naming the file.
void WriteWholeFile(const QString& path, const QByteArray& bytes);

// The bytes of a regular file (a link to one counts) of at most cap bytes; nothing for a
// device, a pipe, a folder, a missing file or a larger one. Never reads more than cap + 1
// bytes, whatever size the file reports (/dev/zero reports 0).
std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 cap);
