#include "sound/KeyBoard_2.h"
#include <QKeyEvent>
#include <QLabel>

TFrmKeyBoard_2* FrmKeyBoard_2 = nullptr;

TFrmKeyBoard_2::TFrmKeyBoard_2(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    FrmKeyBoard_2 = this;
    setFixedSize(1087, 282);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
}

TFrmKeyBoard_2::~TFrmKeyBoard_2()
{
    if (FrmKeyBoard_2 == this)
        FrmKeyBoard_2 = nullptr;
}

// TODO(keys): key map, pictures and key handling.
void TFrmKeyBoard_2::FormKeyDown(int, Qt::KeyboardModifiers) {}
void TFrmKeyBoard_2::FormKeyUp(int, Qt::KeyboardModifiers) {}
void TFrmKeyBoard_2::keyPressEvent(QKeyEvent* e) { QWidget::keyPressEvent(e); }
void TFrmKeyBoard_2::keyReleaseEvent(QKeyEvent* e) { QWidget::keyReleaseEvent(e); }
