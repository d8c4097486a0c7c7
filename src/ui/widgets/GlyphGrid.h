#pragma once
// A score grid on a panel: 105 cell pictures in three lines and six slur arcs over them.
// The score view and the entry editor each own one.
#include "core/score/Song.h"
#include <QObject>
#include <QString>
#include <array>

class ClickLabel;
class QWidget;

class GlyphGrid : public QObject {
    Q_OBJECT
public:
    // Cells are named cellPrefix + 1..105 and arcs arcPrefix + 1..6, all on parent.
    GlyphGrid(QWidget* parent, const QString& cellPrefix, const QString& arcPrefix);

    std::array<ClickLabel*, 105> Cells{};   // position 1..105 at index 0..104
    std::array<ClickLabel*, 6> Arcs{};      // arc 1..6 at index 0..5

    void ShowCell(int position, const QString& glyph);
    // A note cell with the sign shown before its digit (None: the glyph alone).
    void ShowCell(int position, const QString& glyph, Accidental sign);
    // Blanks positions first..last and hides every arc.
    void Clear(int first, int last);
    void PlaceArc(int arc, int position, int length);
    void HideArc(int arc);
    bool ArcShown(int arc) const;

Q_SIGNALS:
    void cellClicked(int position);
    void arcClicked(int arc);
};
