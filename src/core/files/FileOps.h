#pragma once
// Small file helpers: ini values, and copy and delete without prompts.
#include <QByteArray>
#include <QString>

QString IniReadString(const QString& file, const QString& section, const QString& key, const QString& def);
void IniWriteString(const QString& file, const QString& section, const QString& key, const QString& value);
bool CopyFiles(const QString& from, const QString& to);
bool DeleteFiles(const QString& path);
// Writes the whole file or nothing; a failure is a TavoError naming the file.
void WriteWholeFile(const QString& path, const QByteArray& bytes);
