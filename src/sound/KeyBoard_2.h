#pragma once
// The second, wider keyboard window: 18 white keys (c to f2) and 12 black keys.
#include <QWidget>

class QLabel;
class TImageButton;

class TFrmKeyBoard_2 : public QWidget {
    Q_OBJECT
public:
    explicit TFrmKeyBoard_2(QWidget* parent = nullptr);
    ~TFrmKeyBoard_2() override;

    // Key handling shared with the main window while KeyboardRoute is 1.
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void FormKeyUp(int key, Qt::KeyboardModifiers modifiers);

    QLabel* ImgBack = nullptr;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
};

extern TFrmKeyBoard_2* FrmKeyBoard_2;
