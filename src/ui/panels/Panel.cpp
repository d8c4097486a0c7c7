#include "ui/panels/Panel.h"
#include "ui/widgets/Resources.h"
#include "ui/widgets/ClickLabel.h"
#include "ui/widgets/Resources.h"
#include "ui/widgets/Styles.h"
#include <QMouseEvent>

ClickLabel* NewCloseLabel(QWidget* parent, int x, int y)
{
    auto* l = new ClickLabel(QStringLiteral("X"), parent);   // ClickLabel shows Qt::PlainText
    l->setFont(PixelFont(QStringLiteral("微软雅黑"), 17, true));
    SetTextColor(l, QColor(128, 128, 128));
    l->setGeometry(x, y, 12, 24);
    return l;
}

TPanel::TPanel(QWidget* parent, IDialogs& dialogs, const QString& name, int width, int height)
    : QGroupBox(parent), m_dialogs(dialogs)
{
    setObjectName(name);
    setFlat(true);
    resize(width, height);
    setStyleSheet(QStringLiteral("QGroupBox#%1 { background: black; border: none; margin: 0; padding: 0; }").arg(name));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    hide();
    m_close = NewCloseLabel(this, width - 27, 6);
    connect(m_close, &ClickLabel::clicked, this, [this] {
        hide();
        Q_EMIT closed();
    });
}

void TPanel::mousePressEvent(QMouseEvent* e)
{
    e->accept();
}

void TPanel::mouseDoubleClickEvent(QMouseEvent* e)
{
    e->accept();
}

QLabel* TPanel::NewSheet(const QString& name)
{
    auto* l = new QLabel(this);
    l->setObjectName(name);
    l->setGeometry(3, 66, 620, 200);
    l->setPixmap(QPixmap::fromImage(ResourceImage(QStringLiteral("pic/sheet.png"))));
    return l;
}
