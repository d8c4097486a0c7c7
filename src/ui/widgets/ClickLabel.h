#pragma once
#include <QLabel>
#include <QMouseEvent>

// A label (or picture) that raises click and double-click like the layouts' labels do:
// a click is a left press and release over the control. Its text is never markup.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(QWidget* parent = nullptr) : ClickLabel(QString(), parent) {}
    explicit ClickLabel(const QString& text, QWidget* parent = nullptr) : QLabel(text, parent)
    {
        setTextFormat(Qt::PlainText);
    }
Q_SIGNALS:
    void clicked();
    void doubleClicked();
    void mouseMoved();
    void mouseLeft();
protected:
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            m_pressed = true;
        e->accept();
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        const bool click = m_pressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
        m_pressed = false;
        e->accept();
        if (click)
            Q_EMIT clicked();
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        e->accept();
        if (e->button() == Qt::LeftButton)
            Q_EMIT doubleClicked();
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        QLabel::mouseMoveEvent(e);
        Q_EMIT mouseMoved();
    }
    void leaveEvent(QEvent* e) override
    {
        QLabel::leaveEvent(e);
        Q_EMIT mouseLeft();
    }
private:
    bool m_pressed = false;
};
