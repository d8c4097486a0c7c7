#pragma once
// The about panel GBxAbout.
#include "ui/panels/Panel.h"

class AboutPanel : public TPanel {
    Q_OBJECT
public:
    AboutPanel(QWidget* parent, IDialogs& dialogs) : TPanel(parent, dialogs, QStringLiteral("GBxAbout"), 466, 282) {}
};
