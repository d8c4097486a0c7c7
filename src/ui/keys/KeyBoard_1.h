#pragma once
// The sound-engine form: never shown; owns the three media players, PlayNote and
// the wide PC-key map PlayPcKey.
#include "ui/shell/PubDef.h"
#include <QWidget>
#include <memory>

class TImageButton;
class TMediaPlayer;

class TFrmKeyBoard_1 : public QWidget {
    Q_OBJECT
public:
    explicit TFrmKeyBoard_1(QWidget* parent = nullptr);
    ~TFrmKeyBoard_1() override;

    void PlayNote(const QString& name, const VoiceTable& voice);
    void PlayPcKey(int key, Qt::KeyboardModifiers modifiers);
    TMediaPlayer* Player(int turn) const;   // 1..3

    std::unique_ptr<TMediaPlayer> MediaPlayer1;
    std::unique_ptr<TMediaPlayer> MediaPlayer2;
    std::unique_ptr<TMediaPlayer> MediaPlayer3;

    TImageButton *ImgF = nullptr, *ImgG = nullptr, *ImgA = nullptr, *ImgB = nullptr;
    TImageButton *Img_c = nullptr, *Img_d = nullptr, *Img_e = nullptr, *Img_f = nullptr, *Img_g = nullptr,
                 *Img_a = nullptr, *Img_b = nullptr;
    TImageButton *Img_c1 = nullptr, *Img_d1 = nullptr, *Img_e1 = nullptr, *Img_f1 = nullptr, *Img_g1 = nullptr,
                 *Img_a1 = nullptr, *Img_b1 = nullptr;
    TImageButton *Img_c2 = nullptr, *Img_d2 = nullptr, *Img_e2 = nullptr, *Img_f2 = nullptr;

public Q_SLOTS:
    void ImgFClick();
    void ImgGClick();
    void ImgAClick();
    void ImgBClick();
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

private:
    void BuildKeys();
};

extern TFrmKeyBoard_1* FrmKeyBoard_1;
