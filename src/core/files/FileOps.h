#pragma once
// Small file helpers: ini values, and copy and delete without prompts.
#include <QByteArray>
#include <QString>

// Text from a file or the web: UTF-8 when it is valid, else the system's code page (GB18030).
QString DecodeText(const QByteArray& bytes);

QString IniReadString(const QString& file, const QString& section, const QString& key, const QString& def);
void IniWriteString(const QString& file, const QString& section, const QString& key, const QString& value);
bool CopyFiles(const QString& from, const QString& to);
bool DeleteFiles(const QString& path);
