// The start-up floor: what any Qt Widgets program pays to show a frameless window of the
// piano's size with one line of Chinese (Qt, the platform plugin, the font set-up). It links
// nothing of the piano's own.
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget w(nullptr, Qt::Window | Qt::FramelessWindowHint);
    w.setFixedSize(670, 650);
    auto* layout = new QVBoxLayout(&w);
    auto* line = new QLabel(QStringLiteral("Tavo电脑钢琴：弹一首歌"), &w);
    line->setTextFormat(Qt::PlainText);
    layout->addWidget(line);
    w.show();
    return app.exec();
}
