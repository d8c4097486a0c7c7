#include "ui/widgets/ImageButton.h"
#include <QMouseEvent>
#include <QPainter>

TImageButton::TImageButton(QWidget* parent) : QWidget(parent)
{
    // Keys never take the keyboard focus: the window they sit on reads the PC keys.
    setFocusPolicy(Qt::NoFocus);
}

void TImageButton::SetPicture(const QImage& p)
{
    m_shown = p;
    update();
}

void TImageButton::SetStretch(bool on)
{
    m_stretch = on;
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
    // Any button shows the pressed look; only the left one can lead to a click.
    if (e->button() == Qt::LeftButton)
        m_leftDown = true;
    e->accept();
    ShowDown();
}

void TImageButton::mouseDoubleClickEvent(QMouseEvent* e)
{
    // The second press of a quick double click is a press like any other.
    mousePressEvent(e);
}

void TImageButton::mouseReleaseEvent(QMouseEvent* e)
{
    e->accept();
    bool click = false;
    if (e->button() == Qt::LeftButton) {
        click = m_leftDown && rect().contains(e->position().toPoint());
        m_leftDown = false;
    }
    if (!click) {
        ShowUp();
        return;
    }
    // Click first, then the released picture: the pressed look stays while the note
    // starts. The released picture returns even when the click handler fails.
    struct Release {
        TImageButton* b;
        ~Release() { b->ShowUp(); }
    } release{this};
    Q_EMIT clicked();
}

void TImageButton::mouseMoveEvent(QMouseEvent* e)
{
    e->accept();   // moving with a button held changes nothing until the release
}

void TImageButton::enterEvent(QEnterEvent* e)
{
    QWidget::enterEvent(e);
    if (m_canMouseMove)
        ShowOver();
}

void TImageButton::leaveEvent(QEvent* e)
{
    QWidget::leaveEvent(e);
    if (m_canMouseMove)
        ShowUp();
}

TImageButton* NewImageButton(QWidget* parent, const QRect& geometry, const QImage& up, const QImage& down)
{
    auto* b = new TImageButton(parent);
    b->setGeometry(geometry);
    b->SetPictureUp(up);
    b->SetPictureDown(down);
    b->SetCanMouseMove(false);
    b->ShowUp();
    return b;
}
