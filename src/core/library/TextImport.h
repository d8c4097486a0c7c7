#pragma once
// Bringing in a song written as numbered-notation text (a .txt file).
#include "core/library/SongImport.h"

// Reads the file (bounded; UTF-8, or GBK as Chinese Windows writes it), parses it and hands
// the song to ImportSongRows. A text without a title takes the file's name.
ShareResult ImportJianpuFile(TADOConnection& library, IDialogs& dialogs, const QDate& today, const QString& path);

// Text of a file's bytes: UTF-16 after its byte-order mark, UTF-8 (a mark dropped), else GBK.
QString DecodeSongText(const QByteArray& bytes);
// More than half of what the text shows is undecodable bytes, private-use or control characters.
bool MostlyUndecodable(const QString& text);
