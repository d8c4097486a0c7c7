#include "ui/panels/AboutPanel.h"
#include "core/help/HelpText.h"
#include "ui/widgets/ClickLabel.h"
#include "ui/widgets/Resources.h"
#include "ui/widgets/Styles.h"
#include <QCursor>
#include <QDesktopServices>
#include <QUrl>

namespace {
const QString RedText = QStringLiteral("color: rgb(255,0,0); background: transparent;");
const QString WhiteText = QStringLiteral("color: rgb(255,255,255); background: transparent;");

const QCursor& HandCursor()
{
    static const QCursor hand(QPixmap::fromImage(ResourceImage(QStringLiteral("cursor/HAND.png"))), 10, 2);
    return hand;
}
}

AboutPanel::AboutPanel(QWidget* parent, IDialogs& dialogs)
    : TPanel(parent, dialogs, QStringLiteral("GBxAbout"), 466, 282)
{
    OpenAddress = [](const QUrl& url) { QDesktopServices::openUrl(url); };   // a failure reports nothing

    ImgAboutInfo = new QLabel(this);
    ImgAboutInfo->setObjectName(QStringLiteral("ImgAboutInfo"));
    ImgAboutInfo->setTextFormat(Qt::PlainText);   // a picture; never markup
    ImgAboutInfo->setGeometry(3, 38, 468, 310);   // the panel's edge cuts it
    ImgAboutInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ImgAboutInfo->setPixmap(QPixmap::fromImage(ResourceImage(QStringLiteral("pic/about.png"))));

    LabVersion = NewText<QLabel>(QStringLiteral("LabVersion"), AboutVersionText(), 325, 62,
                                 PixelFont(QStringLiteral("Tahoma"), 19), CreamTextStyle);
    LabMail = NewText<QLabel>(QStringLiteral("LabMail"), AboutContactText(), 225, 173,
                              PixelFont(QStringLiteral("Tahoma"), 14), CreamTextStyle);
    LabWebSite = NewText<ClickLabel>(QStringLiteral("LabWebSite"), WebSiteCaption(), 225, 198,
                                     PixelFont(QStringLiteral("Tahoma"), 14), CreamTextStyle);
    LabWebSite->setMouseTracking(true);   // moves without a button held reach the label

    // The close label stays above the picture.
    CloseLabel()->move(440, 6);
    CloseLabel()->raise();

    Wire(LabWebSite, &ClickLabel::clicked, &AboutPanel::LabWebSiteClick);
    Wire(LabWebSite, &ClickLabel::mouseMoved, &AboutPanel::LabWebSiteMouseMove);
    Wire(LabWebSite, &ClickLabel::mouseLeft, &AboutPanel::LabWebSiteMouseLeave);
}

void AboutPanel::LabWebSiteClick()
{
    // The caption holds the address and its trailing spaces.
    OpenAddress(QUrl::fromUserInput(LabWebSite->text().trimmed()));
}

void AboutPanel::LabWebSiteMouseMove()
{
    LabWebSite->setStyleSheet(RedText);
    LabWebSite->setCursor(HandCursor());
}

void AboutPanel::LabWebSiteMouseLeave()
{
    LabWebSite->setStyleSheet(WhiteText);   // white, not back to cream
}
