#pragma once
// The help panel GBxHelp.
#include "ui/panels/Panel.h"

class HelpPanel : public TPanel {
    Q_OBJECT
public:
    HelpPanel(QWidget* parent, IDialogs& dialogs) : TPanel(parent, dialogs, QStringLiteral("GBxHelp"), 624, 270) {}
};
