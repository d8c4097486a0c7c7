#pragma once
// One black panel of the main window, with its "X" in the top right corner. A panel takes
// every press on itself, so pressing on an open panel never moves the window.
#include "core/Dialogs.h"
#include "ui/widgets/Guard.h"
#include "ui/widgets/PlainText.h"
#include <QGroupBox>

class ClickLabel;
class QLabel;

class TPanel : public QGroupBox {
    Q_OBJECT
public:
    TPanel(QWidget* parent, IDialogs& dialogs, const QString& name, int width, int height);
    ClickLabel* CloseLabel() const { return m_close; }

Q_SIGNALS:
    void closed();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

    // Wires a control's signal to a handler of the panel, run through the guard.
    template <class Sender, class Signal, class Class>
    void Wire(Sender* sender, Signal signal, void (Class::*handler)())
    {
        GuardedConnect(m_dialogs, sender, signal, static_cast<Class*>(this), handler);
    }
    // A label with a caption at its place, sized to the caption.
    template <class Label>
    Label* NewText(const QString& name, const QString& caption, int x, int y, const QFont& font,
                   const QString& style);
    // The score sheet picture behind a grid.
    QLabel* NewSheet(const QString& name);

    IDialogs& m_dialogs;

private:
    ClickLabel* m_close = nullptr;
};

// "X" of a panel or of the window.
ClickLabel* NewCloseLabel(QWidget* parent, int x, int y);

template <class Label>
Label* TPanel::NewText(const QString& name, const QString& caption, int x, int y, const QFont& font,
                       const QString& style)
{
    auto* l = PlainLabel<Label>(caption, this);
    l->setObjectName(name);
    l->setFont(font);
    l->setStyleSheet(style);
    l->move(x, y);
    l->adjustSize();   // captions size their labels
    return l;
}
