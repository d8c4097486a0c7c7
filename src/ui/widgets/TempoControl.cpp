#include "ui/widgets/TempoControl.h"
#include "ui/widgets/Styles.h"
#include <QMouseEvent>
#include <algorithm>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

namespace {
constexpr int kArrowWidth = 11;
const QColor kCream(255, 251, 240);
const QColor kGold(214, 178, 108);
}

TempoControl::TempoControl(QWidget* parent, int minimum, int maximum, int value)
    : QWidget(parent), m_min(minimum), m_max(maximum), m_value(std::clamp(value, minimum, maximum))
{
    setFocusPolicy(Qt::NoFocus);   // the window keeps the PC keys
    setFont(PixelFont(QStringLiteral("DejaVu Sans"), 14));
    setToolTip(QStringLiteral("速度（每分钟拍数）：用滚轮或小箭头调节"));
    // Held, an arrow goes on stepping after a short pause.
    connect(&m_repeat, &QTimer::timeout, this, [this] {
        m_repeat.setInterval(60);
        Step();
    });
}

void TempoControl::SetValue(int value)
{
    value = std::clamp(value, m_min, m_max);
    if (value == m_value)
        return;
    m_value = value;
    update();
    Q_EMIT valueChanged(value);
}

QRect TempoControl::UpArrow() const
{
    return QRect(width() - kArrowWidth, 0, kArrowWidth, height() / 2);
}

QRect TempoControl::DownArrow() const
{
    return QRect(width() - kArrowWidth, height() / 2, kArrowWidth, height() - height() / 2);
}

void TempoControl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(kCream);
    p.setFont(font());
    const QRect text = rect().adjusted(0, 0, -kArrowWidth - 2, 0);
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("♩= %1").arg(m_value));

    const auto triangle = [&](const QRect& r, bool up, bool lit) {
        const QPointF c = QRectF(r).center();
        QPainterPath t;
        t.moveTo(c.x() - 4, c.y() + (up ? 2 : -2));
        t.lineTo(c.x() + 4, c.y() + (up ? 2 : -2));
        t.lineTo(c.x(), c.y() + (up ? -3 : 3));
        t.closeSubpath();
        p.fillPath(t, lit ? kCream : kGold);
    };
    triangle(UpArrow(), true, m_held > 0 && m_value < m_max);
    triangle(DownArrow(), false, m_held < 0 && m_value > m_min);
}

void TempoControl::Step()
{
    SetValue(m_value + m_held);
}

void TempoControl::mousePressEvent(QMouseEvent* e)
{
    e->accept();   // a press here never drags the window
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint at = e->position().toPoint();
    m_held = UpArrow().contains(at) ? 1 : DownArrow().contains(at) ? -1 : 0;
    if (m_held == 0)
        return;
    Step();
    m_repeat.start(400);
}

void TempoControl::mouseDoubleClickEvent(QMouseEvent* e)
{
    mousePressEvent(e);
}

void TempoControl::mouseReleaseEvent(QMouseEvent* e)
{
    e->accept();
    m_held = 0;
    m_repeat.stop();
    update();
}

void TempoControl::wheelEvent(QWheelEvent* e)
{
    e->accept();
    m_wheelRest += e->angleDelta().y();
    const int notches = m_wheelRest / 120;
    m_wheelRest -= notches * 120;
    if (notches != 0)
        SetValue(m_value + notches);
}
