#pragma once
// The about panel GBxAbout: the version, the contact line and the forum's address.
#include "ui/panels/Panel.h"
#include <functional>

class ClickLabel;
class QLabel;
class QUrl;

class AboutPanel : public TPanel {
    Q_OBJECT
public:
    AboutPanel(QWidget* parent, IDialogs& dialogs);

    QLabel* ImgAboutInfo = nullptr;
    QLabel* LabVersion = nullptr;
    QLabel* LabMail = nullptr;
    ClickLabel* LabWebSite = nullptr;

    // Opens an address in the browser; tests replace it.
    std::function<void(const QUrl&)> OpenAddress;

public Q_SLOTS:
    void LabWebSiteClick();
    void LabWebSiteMouseMove();
    void LabWebSiteMouseLeave();
};
