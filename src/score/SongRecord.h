#pragma once
#include <QString>
#include <vector>

// One row of the song table TableCfg and of the in-memory tables.
struct SongRecord {
    int SongID = 0;
    int SeqID = 0;
    QString SongName;   // at most 200 GBK bytes
    QString SongNote;   // at most 10
    QString OpernLong;  // at most 10
    QString OpernHigh;  // at most 10
    int Conn = 0;
    QString InfoType;   // at most 1
    QString SongDate;   // at most 10, "YYYYMMDD"
};

using SongTableType = std::vector<SongRecord>;

// Cuts text to at most maxBytes bytes of its GBK form, keeping the leading bytes and
// never splitting a character.
QString GbkCut(const QString& text, int maxBytes);
// Number of bytes the text takes in GBK.
int GbkLength(const QString& text);
