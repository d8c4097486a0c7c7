// The picture button every key is made of: which picture shows when, and when a click
// (and so a note) happens.
#include "TestSupport.h"
#include "core/Errors.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/Guard.h"
#include <QEnterEvent>
#include <QPainter>

namespace {
QImage Solid(QColor c)
{
    QImage img(20, 30, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

struct Fixture {
    QWidget parent;
    TImageButton* b = new TImageButton(&parent);
    int clicks = 0;
    QImage shownAtClick;
    Fixture()
    {
        parent.resize(200, 200);
        b->setGeometry(10, 10, 40, 60);
        b->SetPictureUp(Solid(Qt::white));
        b->SetPictureDown(Solid(Qt::gray));
        b->ShowUp();
        QObject::connect(b, &TImageButton::clicked, b, [this] {
            ++clicks;
            shownAtClick = b->Picture();
        });
        parent.show();
    }
};
}

class TestImageButton : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsWithoutPicturesAndWithoutHover()
    {
        TImageButton b;
        QVERIFY(!b.CanMouseMove());
        QVERIFY(b.PictureUp().isNull() && b.PictureDown().isNull() && b.PictureOver().isNull());
        QCOMPARE(b.focusPolicy(), Qt::NoFocus);
    }

    // Pressed picture during the click handler, released one after it.
    void leftClickShowsDownThenClicksThenUp()
    {
        Fixture f;
        QTest::mousePress(f.b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(f.b->Picture(), f.b->PictureDown());
        QCOMPARE(f.clicks, 0);
        QTest::mouseRelease(f.b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(f.clicks, 1);
        QCOMPARE(f.shownAtClick, f.b->PictureDown());
        QCOMPARE(f.b->Picture(), f.b->PictureUp());
    }

    void otherButtonsSwapPicturesButNeverClick_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }
    void otherButtonsSwapPicturesButNeverClick()
    {
        QFETCH(Qt::MouseButton, button);
        Fixture f;
        QTest::mousePress(f.b, button, {}, QPoint(5, 5));
        QCOMPARE(f.b->Picture(), f.b->PictureDown());
        QTest::mouseRelease(f.b, button, {}, QPoint(5, 5));
        QCOMPARE(f.b->Picture(), f.b->PictureUp());
        QCOMPARE(f.clicks, 0);
    }

    // A right press in the middle of a left one neither clicks nor cancels the left click.
    void rightPressDuringLeftPressKeepsTheLeftClick()
    {
        Fixture f;
        QTest::mousePress(f.b, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mousePress(f.b, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
        QTest::mouseRelease(f.b, Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(f.b->Picture(), f.b->PictureUp());
        QCOMPARE(f.clicks, 0);
        QTest::mouseRelease(f.b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(f.clicks, 1);
    }

    void pressMoveOffReleaseNeverClicks()
    {
        Fixture f;
        QTest::mousePress(f.b, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(f.b, QPoint(100, 5));
        QCOMPARE(f.b->Picture(), f.b->PictureDown());
        QTest::mouseRelease(f.b, Qt::LeftButton, {}, QPoint(100, 5));
        QCOMPARE(f.clicks, 0);
        QCOMPARE(f.b->Picture(), f.b->PictureUp());
    }

    void doubleClickClicksTwice()
    {
        Fixture f;
        // The sequence the window system delivers: press, release, double click, release.
        QTest::mouseClick(f.b, Qt::LeftButton, {}, QPoint(5, 5));
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), f.b->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                        Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.b, &dbl);
        QCOMPARE(f.b->Picture(), f.b->PictureDown());
        QTest::mouseRelease(f.b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(f.clicks, 2);
        QCOMPARE(f.b->Picture(), f.b->PictureUp());
    }

    void hoverPictureOnlyWithCanMouseMove_data()
    {
        QTest::addColumn<bool>("canMove");
        QTest::newRow("off") << false;
        QTest::newRow("on") << true;
    }
    void hoverPictureOnlyWithCanMouseMove()
    {
        QFETCH(bool, canMove);
        Fixture f;
        f.b->SetPictureOver(Solid(Qt::yellow));
        f.b->SetCanMouseMove(canMove);
        f.b->ShowDown();   // a state that neither hover picture matches
        QEnterEvent enter(QPointF(5, 5), QPointF(15, 15), QPointF(15, 15));
        QApplication::sendEvent(f.b, &enter);
        QCOMPARE(f.b->Picture(), canMove ? f.b->PictureOver() : f.b->PictureDown());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(f.b, &leave);
        QCOMPARE(f.b->Picture(), canMove ? f.b->PictureUp() : f.b->PictureDown());
        QCOMPARE(f.clicks, 0);
    }

    // The button keeps its own pictures: the caller's image and later settings do not reach
    // the displayed picture until the button shows them.
    void picturesAreCopiedIn()
    {
        Fixture f;
        QImage mine = Solid(Qt::blue);
        f.b->SetPictureUp(mine);
        mine.fill(Qt::red);
        QCOMPARE(f.b->PictureUp().pixelColor(0, 0), QColor(Qt::blue));
        QCOMPARE(f.b->Picture().pixelColor(0, 0), QColor(Qt::white));   // not shown yet

        f.b->SetPictureDown(Solid(Qt::green));
        QCOMPARE(f.b->Picture().pixelColor(0, 0), QColor(Qt::white));
        QTest::mousePress(f.b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(f.b->Picture().pixelColor(0, 0), QColor(Qt::green));
        QTest::mouseRelease(f.b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(f.b->Picture().pixelColor(0, 0), QColor(Qt::blue));
    }

    // A click handler that fails is reported, and the key still comes back up.
    void failingClickStillReleasesTheKey()
    {
        TempEnv env;
        Fixture f;
        QObject::connect(f.b, &TImageButton::clicked, f.b,
                         [&] { RunGuarded(env.dialogs, [] { Raise(QStringLiteral("no sound")); }); });
        QTest::mouseClick(f.b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(env.dialogs.errors, QStringList{QStringLiteral("no sound")});
        QCOMPARE(f.b->Picture(), f.b->PictureUp());
    }

    // Stretched pictures fill the control; unstretched ones keep their size at the corner.
    void paintsStretchedOrAtTheCorner()
    {
        Fixture f;
        f.b->SetPicture(Solid(Qt::red));
        f.b->SetStretch(false);
        QImage plain = f.b->grab().toImage();
        QCOMPARE(plain.pixelColor(5, 5), QColor(Qt::red));
        QVERIFY(plain.pixelColor(35, 55) != QColor(Qt::red));
        f.b->SetStretch(true);
        QImage stretched = f.b->grab().toImage();
        QCOMPARE(stretched.pixelColor(35, 55), QColor(Qt::red));
    }
};

TAVO_TEST_MAIN(TestImageButton)
#include "test_image_button.moc"
