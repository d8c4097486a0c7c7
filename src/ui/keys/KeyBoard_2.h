#pragma once
// The second, wider keyboard window: 18 white keys (c to f2) and 12 black keys.
#include <QWidget>
#include <array>

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

    TImageButton *Img_c = nullptr, *Img_d = nullptr, *Img_e = nullptr, *Img_f = nullptr, *Img_g = nullptr,
                 *Img_a = nullptr, *Img_b = nullptr;
    TImageButton *Img_c1 = nullptr, *Img_d1 = nullptr, *Img_e1 = nullptr, *Img_f1 = nullptr, *Img_g1 = nullptr,
                 *Img_a1 = nullptr, *Img_b1 = nullptr;
    TImageButton *Img_c2 = nullptr, *Img_d2 = nullptr, *Img_e2 = nullptr, *Img_f2 = nullptr;
    TImageButton* Img_cx = nullptr;
    std::array<TImageButton*, 11> ImageButton{};   // ImageButton1..11 at index 0..10

    std::array<TImageButton*, 18> WhiteKeys() const;   // left to right, c to f2

public Q_SLOTS:
    void Img_cClick();
    void Img_dClick();
    void Img_eClick();
    void Img_fClick();
    void Img_gClick();
    void Img_aClick();
    void Img_bClick();
    void Img_c1Click();
    void Img_d1Click();
    void Img_e1Click();
    void Img_f1Click();
    void Img_g1Click();
    void Img_a1Click();
    void Img_b1Click();
    void Img_c2Click();
    void Img_d2Click();
    void Img_e2Click();
    void Img_f2Click();

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    void BuildKeys();
};

extern TFrmKeyBoard_2* FrmKeyBoard_2;
