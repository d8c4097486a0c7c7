#include "ui/widgets/TempoControl.h"
#include "ui/widgets/Styles.h"
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

namespace {
constexpr int ArrowWidth = 11;
const QColor Cream(255, 251, 240);
const QColor kGold(214, 178, 108);
}

TempoControl::TempoControl(QWidget* parent, int minimum, int maximum, int value)
    : QWidget(parent), m_min(minimum), m_max(maximum), m_value(std::clamp(value, minimum, maximum))
{
    setFocusPolicy(Qt::NoFocus);   // the window keeps the PC keys
    setFont(PixelFont(QStringLiteral("DejaVu Sans"), 14));
    setToolTip(QStringLiteral("速度（每分钟拍数）：用滚轮或小箭头调节，按住 Shift 每次 %1；单击数字可直接输入")
                   .arg(ShiftStep));
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("TempoTyping"));
    m_edit->setValidator(new QIntValidator(0, 999, m_edit));
    m_edit->setMaxLength(3);
    m_edit->setFont(font());
    m_edit->setFrame(false);
    m_edit->setStyleSheet(QStringLiteral("QLineEdit { background: rgb(255,251,240); color: black; border: none; padding: 0; }"));
    m_edit->hide();
    m_edit->installEventFilter(this);
    connect(m_edit, &QLineEdit::editingFinished, this, [this] { EndTyping(true); });
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

QRect TempoControl::UpArrow() const { return QRect(width() - ArrowWidth, 0, ArrowWidth, height() / 2); }

QRect TempoControl::DownArrow() const
{
    return QRect(width() - ArrowWidth, height() / 2, ArrowWidth, height() - height() / 2);
}

void TempoControl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Cream);
    p.setFont(font());
    const QRect text = rect().adjusted(0, 0, -ArrowWidth - 2, 0);
    // Drawn, not a label: a number never read as markup (Qt::PlainText in effect).
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("♩= %1").arg(m_value));

    const auto triangle = [&](const QRect& r, bool up, bool lit) {
        const QPointF c = QRectF(r).center();
        QPainterPath t;
        t.moveTo(c.x() - 4, c.y() + (up ? 2 : -2));
        t.lineTo(c.x() + 4, c.y() + (up ? 2 : -2));
        t.lineTo(c.x(), c.y() + (up ? -3 : 3));
        t.closeSubpath();
        p.fillPath(t, lit ? Cream : kGold);
    };
    triangle(UpArrow(), true, m_held > 0 && m_value < m_max);
    triangle(DownArrow(), false, m_held < 0 && m_value > m_min);
}

void TempoControl::BeginTyping()
{
    const int numberX = fontMetrics().horizontalAdvance(QStringLiteral("♩= "));
    m_edit->setGeometry(numberX, 1, width() - ArrowWidth - 2 - numberX, height() - 2);
    m_edit->setText(QString::number(m_value));
    m_edit->selectAll();
    m_edit->show();
    m_edit->setFocus();
}

void TempoControl::EndTyping(bool keep)
{
    if (m_edit->isHidden())
        return;
    const QString typed = m_edit->text();
    m_edit->hide();   // before the value: hiding can finish the editing a second time
    bool ok = false;
    const int value = typed.toInt(&ok);
    if (keep && ok)
        SetValue(value);
    // The keys go back to the piano once the Enter that ended the typing is over.
    QTimer::singleShot(0, this, [this] {
        if (window() && !m_edit->isVisible())
            window()->setFocus();
    });
}

bool TempoControl::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_edit && e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
        EndTyping(false);
        return true;
    }
    return QWidget::eventFilter(watched, e);
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
    const int step = e->modifiers().testFlag(Qt::ShiftModifier) ? ShiftStep : 1;
    m_held = UpArrow().contains(at) ? step : DownArrow().contains(at) ? -step : 0;
    if (m_held == 0) {
        BeginTyping();
        return;
    }
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
    // Some systems turn a wheel held with a modifier sideways.
    const QPoint delta = e->angleDelta();
    m_wheelRest += delta.y() != 0 ? delta.y() : delta.x();
    const int notches = m_wheelRest / 120;
    m_wheelRest -= notches * 120;
    if (notches != 0)
        SetValue(m_value + notches * (e->modifiers().testFlag(Qt::ShiftModifier) ? ShiftStep : 1));
}
