#pragma once
// A see-through mark over a cell of the sheet; clicks go through it to the cell.
#include <QColor>
#include <QWidget>

class CellMark : public QWidget {
public:
    enum class Look {
        Box,      // a coloured box (the note on turn, a wrong note)
        Frame,    // only its edge (the ends of a passage)
        Cursor,   // a frame with a bar under it (where the next cell goes)
    };
    CellMark(QWidget* parent, const QColor& colour, Look look = Look::Box);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QColor m_colour;
    Look m_look;
};
