#pragma once
// The song's jianpu pages on paper: A4, drawn with the glyphs the score view shows, the
// title and credits on the first sheet, a number on every sheet.
#include "core/score/Song.h"
#include <QString>

class QPagedPaintDevice;
class QWidget;

namespace ScorePrinter {
// Draws the song onto a device already set to A4; returns the number of sheets.
int Paint(QPagedPaintDevice& device, const Song& song);
// Writes the song as a PDF file; a failure is a TavoError naming the file.
int WritePdf(const QString& path, const Song& song);
// The system's print dialog, then the printer; false when the user cancels.
bool Print(QWidget* parent, const Song& song);
}
