#pragma once
// Pictures of the score grids: glyphs by name, slur arcs, and redraw batching.
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <initializer_list>
#include <vector>

class QLabel;
class QWidget;

// The bitmap of a glyph name (":/glyph/<name>.png") at PictureScale(), decoded once and kept.
// A name with no resource gives a null pixmap: the cell shows empty.
const QPixmap& GlyphPixmap(const QString& name);
// The same at a chosen scale, 1 or 2 (print takes the sharper one whatever the screen).
const QPixmap& GlyphPixmap(const QString& name, int scale);
// The slur arc as drawn over cells: transparent where the stored picture is white.
QImage ArcOverlay(const QImage& stored);
// Decodes every glyph and the arc ahead of the first page draw.
void PreloadGlyphs();
// Number of names the cache holds (loaded or found missing).
int GlyphCacheSize();

// Shows the glyph of that name in a cell picture; skipped when already shown.
void ShowGlyph(QLabel* cell, const QString& name);

// Sets a label's caption and sizes the label to it.
void SetCaption(QLabel* label, const QString& text);

// Puts a free arc over a cell: top - 27, left + 8, width length x cell width, height kept.
void PlaceArc(QLabel* arc, const QLabel* cell, int length);

// Holds repaints of the given widgets until it goes out of scope, so a page of
// changes reaches the screen as one paint.
class UpdatesHold {
public:
    UpdatesHold(std::initializer_list<QWidget*> widgets);
    ~UpdatesHold();
    UpdatesHold(const UpdatesHold&) = delete;
    UpdatesHold& operator=(const UpdatesHold&) = delete;
private:
    std::vector<QPointer<QWidget>> m_held;
};
