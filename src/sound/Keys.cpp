// TODO(keys): main window keys, key maps, sound-engine keys.
#include "app/Main.h"
#include "sound/KeyBoard_1.h"
#include <QKeyEvent>

void TFrmKeyBoard_1::BuildKeys() {}
void TFrmKeyBoard_1::PlayPcKey(int, Qt::KeyboardModifiers) {}
void TFrmKeyBoard_1::ImgFClick() {}
void TFrmKeyBoard_1::ImgGClick() {}
void TFrmKeyBoard_1::ImgAClick() {}
void TFrmKeyBoard_1::ImgBClick() {}
void TFrmKeyBoard_1::Img_cClick() {}
void TFrmKeyBoard_1::Img_dClick() {}
void TFrmKeyBoard_1::Img_eClick() {}
void TFrmKeyBoard_1::Img_fClick() {}
void TFrmKeyBoard_1::Img_gClick() {}
void TFrmKeyBoard_1::Img_aClick() {}
void TFrmKeyBoard_1::Img_bClick() {}
void TFrmKeyBoard_1::Img_c1Click() {}
void TFrmKeyBoard_1::Img_d1Click() {}
void TFrmKeyBoard_1::Img_e1Click() {}
void TFrmKeyBoard_1::Img_f1Click() {}
void TFrmKeyBoard_1::Img_g1Click() {}
void TFrmKeyBoard_1::Img_a1Click() {}
void TFrmKeyBoard_1::Img_b1Click() {}
void TFrmKeyBoard_1::Img_c2Click() {}
void TFrmKeyBoard_1::Img_d2Click() {}
void TFrmKeyBoard_1::Img_e2Click() {}
void TFrmKeyBoard_1::Img_f2Click() {}

void TFormPiano::BuildKeys() {}
void TFormPiano::BuildKeyboardSwitch() {}
void TFormPiano::MainKeyDown(int) {}
void TFormPiano::MainKeyUp(int) {}
void TFormPiano::FormKeyDown(int, Qt::KeyboardModifiers) {}
void TFormPiano::FormKeyUp(int, Qt::KeyboardModifiers) {}
void TFormPiano::keyPressEvent(QKeyEvent* e) { QWidget::keyPressEvent(e); }
void TFormPiano::keyReleaseEvent(QKeyEvent* e) { QWidget::keyReleaseEvent(e); }
void TFormPiano::ImgSetBoardClick() {}
void TFormPiano::Img_c1Click() {}
void TFormPiano::Img_d1Click() {}
void TFormPiano::Img_e1Click() {}
void TFormPiano::Img_f1Click() {}
void TFormPiano::Img_g1Click() {}
void TFormPiano::Img_a1Click() {}
void TFormPiano::Img_b1Click() {}
void TFormPiano::Img_c2Click() {}
void TFormPiano::Img_d2Click() {}
void TFormPiano::Img_e2Click() {}
