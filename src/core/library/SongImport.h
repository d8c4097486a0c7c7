#pragma once
// The one sink of every import (exchange files, text, other music programs), below them all.
#include "core/Dialogs.h"
#include "core/library/Database.h"
#include "core/score/Song.h"
#include "core/score/SongRecord.h"
#include <QDate>
#include <QString>

struct ShareResult {
    enum class Outcome {
        Done,      // the library or the desktop changed
        Stopped,   // nothing to do, cancelled, or the answer was No
        Refused,   // a message said why nothing was done
    };
    Outcome outcome = Outcome::Stopped;
    int songId = 0;     // the deleted or exported song; the new number of an imported one
    QString title;
    QString file;       // the exchange file written or read
    int rows = 0;       // rows written to the file or to the library
    bool done() const { return outcome == Outcome::Done; }
};

// Where every import ends: asks about the song, then adds it through AddSong (title free,
// room in the library, lowest free number, one transaction) and says so. rows are the
// song's own (header, cells, notices) in order, marks what they cannot say (by SeqID); the
// SongID of both is replaced. note, when given, is added to the question. today dates the
// notice refresh.
ShareResult ImportSongRows(TADOConnection& library, IDialogs& dialogs, const QDate& today, const SongTableType& rows,
                           const QString& title, const QString& file, const QString& note = QString(),
                           const SongMarkTable& marks = {});
