#include <gtest/gtest.h>

#include <QAccessible>
#include <QGroupBox>
#include <QStringList>

#include "../support/MouseDriver.h"
#include "platform/windowless/PictureControl.h"
#include "platform/windowless/WindowlessHost.h"

using namespace windowless;

namespace {

// Fills itself with one colour and writes down every input it gets.
class RecordingControl : public WindowlessControl {
public:
    RecordingControl(WindowlessHost* host, QString name, gdi::ColorRef color)
        : WindowlessControl(host), name_(std::move(name)), color_(color) {
        OnClick = [this](WindowlessControl*) { log << name_ + QStringLiteral(":click"); };
    }
    void paint(gdi::DeviceContext& canvas) override {
        canvas.fillRect({0, 0, width(), height()}, {gdi::BS_SOLID, color_});
    }
    void mouseEnter() override { log << name_ + QStringLiteral(":enter"); }
    void mouseLeave() override { log << name_ + QStringLiteral(":leave"); }
    void mouseMove(ShiftState shift, int x, int y) override {
        log << QStringLiteral("%1:move %2,%3").arg(name_).arg(x).arg(y);
        WindowlessControl::mouseMove(shift, x, y);
    }
    void mouseDown(MouseButton button, ShiftState shift, int x, int y, bool doubleClick) override {
        log << name_ + (doubleClick ? QStringLiteral(":double") : QStringLiteral(":down"));
        WindowlessControl::mouseDown(button, shift, x, y, doubleClick);
    }
    void mouseUp(MouseButton button, ShiftState shift, int x, int y) override {
        log << QStringLiteral("%1:up %2,%3").arg(name_).arg(x).arg(y);
        WindowlessControl::mouseUp(button, shift, x, y);
    }
    QStringList log;

private:
    QString name_;
    gdi::ColorRef color_;
};

constexpr gdi::ColorRef kRed = gdi::rgb(255, 0, 0);
constexpr gdi::ColorRef kBlue = gdi::rgb(0, 0, 255);

}  // namespace

TEST(WindowlessHost, PaintsBackgroundThenControlsInZOrder) {
    WindowlessHost host;
    host.resize(40, 20);
    host.setBackgroundColor(gdi::clSilver);
    RecordingControl bottom(&host, QStringLiteral("bottom"), kRed);
    bottom.setBounds(0, 0, 20, 20);
    RecordingControl top(&host, QStringLiteral("top"), kBlue);
    top.setBounds(10, 0, 20, 20);
    gdi::Bitmap picture = host.renderToBitmap();
    EXPECT_EQ(picture.pixelColor(5, 5), kRed);
    EXPECT_EQ(picture.pixelColor(15, 5), kBlue);
    EXPECT_EQ(picture.pixelColor(35, 5), gdi::clSilver);

    top.setVisible(false);
    picture = host.renderToBitmap();
    EXPECT_EQ(picture.pixelColor(15, 5), kRed);
    EXPECT_EQ(host.controlAt(15, 5), &bottom) << "a hidden control is not hit";
}

TEST(WindowlessHost, PictureIsClippedToItsBounds) {
    WindowlessHost host;
    host.resize(20, 20);
    host.setBackgroundColor(gdi::clWhite);
    PictureControl picture(&host);
    picture.setBounds(2, 2, 5, 5);
    picture.setPicture(gdi::Bitmap::color(10, 10, kRed));
    const gdi::Bitmap painted = host.renderToBitmap();
    EXPECT_EQ(painted.pixelColor(2, 2), kRed);
    EXPECT_EQ(painted.pixelColor(6, 6), kRed);
    EXPECT_EQ(painted.pixelColor(7, 7), gdi::clWhite);
}

TEST(WindowlessHost, RoutesEnterMoveAndLeaveToTheControlUnderThePointer) {
    WindowlessHost host;
    host.resize(60, 20);
    RecordingControl a(&host, QStringLiteral("a"), kRed);
    a.setBounds(0, 0, 20, 20);
    RecordingControl b(&host, QStringLiteral("b"), kBlue);
    b.setBounds(30, 0, 20, 20);
    testsupport::MouseDriver mouse(&host);
    mouse.move(5, 6);
    mouse.move(35, 6);
    mouse.move(55, 6);
    EXPECT_EQ(a.log, (QStringList{"a:enter", "a:move 5,6", "a:leave"}));
    EXPECT_EQ(b.log, (QStringList{"b:enter", "b:move 5,6", "b:leave"}));
}

TEST(WindowlessHost, DisabledControlGetsEnterAndLeaveButNoPressesMovesOrReleases) {
    WindowlessHost host;
    host.resize(60, 20);
    RecordingControl control(&host, QStringLiteral("c"), kRed);
    control.setBounds(0, 0, 20, 20);
    control.setEnabled(false);
    testsupport::MouseDriver mouse(&host);
    mouse.click(5, 5);
    mouse.move(50, 5);
    EXPECT_EQ(control.log, (QStringList{"c:enter", "c:leave"}));
}

TEST(WindowlessHost, PressCapturesTheMouseUntilRelease) {
    WindowlessHost host;
    host.resize(60, 20);
    RecordingControl a(&host, QStringLiteral("a"), kRed);
    a.setBounds(0, 0, 20, 20);
    RecordingControl b(&host, QStringLiteral("b"), kBlue);
    b.setBounds(30, 0, 20, 20);
    testsupport::MouseDriver mouse(&host);
    mouse.move(5, 5);
    mouse.press(5, 5);
    EXPECT_EQ(host.captureControl(), &a);
    mouse.move(35, 5);  // over b, but a holds the capture
    mouse.release(35, 5);
    EXPECT_EQ(host.captureControl(), nullptr);
    EXPECT_EQ(a.log, (QStringList{"a:enter", "a:move 5,5", "a:down", "a:move 35,5", "a:up 35,5", "a:leave"}))
        << "no click for a release outside; the pointer's leaving is told once the capture ends";
    EXPECT_EQ(b.log, (QStringList{"b:enter"})) << "b sees the pointer only after the capture";
}

TEST(WindowlessHost, ARightClickDuringALeftDragNeitherEndsTheCaptureNorLeavesAStrayClick) {
    WindowlessHost host;
    host.resize(60, 20);
    RecordingControl a(&host, QStringLiteral("a"), kRed);
    a.setBounds(0, 0, 20, 20);
    testsupport::MouseDriver mouse(&host);
    mouse.move(5, 5);
    mouse.press(5, 5);
    mouse.move(45, 5);  // out, over empty panel space
    mouse.pressButton(45, 5, Qt::RightButton);
    mouse.releaseButton(45, 5, Qt::RightButton);
    EXPECT_EQ(host.captureControl(), &a) << "the left button still holds it";
    mouse.release(45, 5);
    EXPECT_EQ(host.captureControl(), nullptr);
    // A later left press on empty space, released over the control, is no click of it.
    mouse.press(50, 5);
    mouse.move(5, 5);
    mouse.release(5, 5);
    EXPECT_TRUE(a.log.filter(QStringLiteral("click")).isEmpty())
        << a.log.join(QLatin1Char(' ')).toStdString();
}

TEST(WindowlessHost, ClickNeedsPressAndReleaseInsideAndDoubleClickGivesOne) {
    WindowlessHost host;
    host.resize(60, 20);
    RecordingControl a(&host, QStringLiteral("a"), kRed);
    a.setBounds(0, 0, 20, 20);
    testsupport::MouseDriver mouse(&host);
    mouse.move(5, 5);
    mouse.press(5, 5);
    mouse.move(50, 5);
    mouse.move(6, 5);
    mouse.release(6, 5);
    EXPECT_EQ(a.log.filter(QStringLiteral("click")).size(), 1) << "dragging out and back in still clicks";

    a.log.clear();
    mouse.press(5, 5);
    mouse.release(5, 5);
    mouse.doubleClickPress(5, 5);
    mouse.release(5, 5);
    EXPECT_EQ(a.log.filter(QStringLiteral("click")).size(), 1);
    EXPECT_TRUE(a.log.contains(QStringLiteral("a:double")));
}

TEST(WindowlessHost, AssistiveTechnologySeesTheControlsWithNamesAndAPressAction) {
    WindowlessHost host;
    host.resize(60, 20);
    RecordingControl play(&host, QStringLiteral("play"), kRed);
    play.setBounds(0, 0, 20, 20);
    play.setAccessibleName(QStringLiteral("Play"));
    play.setHint(QStringLiteral("Start the song"));
    QAccessibleInterface* hostInterface = QAccessible::queryAccessibleInterface(&host);
    ASSERT_NE(hostInterface, nullptr);
    ASSERT_EQ(hostInterface->childCount(), 1);
    QAccessibleInterface* button = hostInterface->child(0);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(QAccessible::Name), QStringLiteral("Play"));
    EXPECT_EQ(button->text(QAccessible::Description), QStringLiteral("Start the song"));
    EXPECT_EQ(button->role(), QAccessible::Button);
    EXPECT_EQ(hostInterface->indexOfChild(button), 0);
    ASSERT_NE(button->actionInterface(), nullptr);
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(play.log.contains(QStringLiteral("play:click")));
    play.setEnabled(false);
    EXPECT_TRUE(button->state().disabled);
    EXPECT_TRUE(button->actionInterface()->actionNames().isEmpty());
}

TEST(WindowlessHost, ThePartsOfItsParentBeneathItFollowTheParentsTitleColourAndSize) {
    // The parent's look is kept between repaints; each of these changes must show.
    QGroupBox parent(QStringLiteral("Player"));
    parent.resize(120, 60);
    WindowlessHost host(&parent);
    host.setGeometry(0, 0, 120, 60);
    auto differs = [](const gdi::Bitmap& a, const gdi::Bitmap& b) {
        if (a.width() != b.width() || a.height() != b.height()) return true;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixelColor(x, y) != b.pixelColor(x, y)) return true;
        return false;
    };
    const gdi::Bitmap first = host.renderToBitmap();
    EXPECT_FALSE(differs(first, host.renderToBitmap())) << "nothing changed, nothing differs";

    parent.setTitle(QStringLiteral("Another title"));
    const gdi::Bitmap retitled = host.renderToBitmap();
    EXPECT_TRUE(differs(first, retitled)) << "the new title shows";

    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, Qt::darkGreen);
    parent.setPalette(palette);
    const gdi::Bitmap recoloured = host.renderToBitmap();
    EXPECT_TRUE(differs(retitled, recoloured)) << "the new colour shows";

    parent.resize(120, 80);
    host.setGeometry(0, 0, 120, 80);
    EXPECT_EQ(host.renderToBitmap().height(), 80);
    EXPECT_TRUE(differs(recoloured, host.renderToBitmap())) << "the frame follows the new size";
}
