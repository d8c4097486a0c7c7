#include "widgets/ImageButton.h"
#include <QMouseEvent>
#include <QPainter>

TImageButton::TImageButton(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TImageButton::SetPicture(const QImage& p)
{
    m_shown = p.copy();
    update();
}

void TImageButton::paintEvent(QPaintEvent*)
{
    if (m_shown.isNull())
        return;
    QPainter painter(this);
    if (m_stretch)
        painter.drawImage(rect(), m_shown);
    else
        painter.drawImage(QPoint(0, 0), m_shown);
}

void TImageButton::mousePressEvent(QMouseEvent* e)
{
    m_leftDown = e->button() == Qt::LeftButton;
    ShowDown();
    repaint();
    e->accept();
}

void TImageButton::mouseReleaseEvent(QMouseEvent* e)
{
    // Click first, then the released picture: the pressed look stays while the note starts.
    const bool click = m_leftDown && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    m_leftDown = false;
    e->accept();
    if (click)
        Q_EMIT clicked();
    ShowUp();
}

void TImageButton::enterEvent(QEnterEvent* e)
{
    QWidget::enterEvent(e);
    if (m_canMouseMove)
        SetPicture(m_over);
}

void TImageButton::leaveEvent(QEvent* e)
{
    QWidget::leaveEvent(e);
    if (m_canMouseMove)
        ShowUp();
}
