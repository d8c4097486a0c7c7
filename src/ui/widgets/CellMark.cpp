#include "ui/widgets/CellMark.h"
#include <QPainter>

CellMark::CellMark(QWidget* parent, const QColor& colour, Look look) : QWidget(parent), m_colour(colour), m_look(look)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void CellMark::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = m_colour;
    QColor edge = m_colour;
    if (m_look == Look::Cursor) {
        fill.setAlpha(35);
        p.setPen(QPen(edge, 1.0));
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -3.5), 3, 3);
        p.fillRect(QRect(1, height() - 3, width() - 2, 3), edge);
        return;
    }
    const bool frameOnly = m_look == Look::Frame;
    fill.setAlpha(frameOnly ? 0 : 70);
    edge.setAlpha(190);
    p.setPen(QPen(edge, frameOnly ? 1.0 : 1.5));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
}
