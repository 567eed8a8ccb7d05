#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTest>

#include "platform/widgets/CaretRest.h"

using namespace std::chrono_literals;

namespace {

// Counts the paints of a text box's viewport, which a blinking caret causes twice a flash time.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

}  // namespace

TEST(CaretRest, TheCaretStopsBlinkingAfterAQuietSpellAndBlinksAgainAtAKey) {
    QApplication::setCursorFlashTime(200);
    QPlainTextEdit box;
    box.show();
    box.activateWindow();
    box.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    PaintCounter counter;
    box.viewport()->installEventFilter(&counter);
    {
        widgets::CaretRest rest(300ms);
        QTest::qWait(450);
        ASSERT_TRUE(rest.resting());
        counter.paints = 0;
        QTest::qWait(600);
        EXPECT_LE(counter.paints, 1) << "no blinking while resting";

        QTest::keyClick(&box, Qt::Key_A);
        EXPECT_FALSE(rest.resting());
        EXPECT_EQ(QApplication::cursorFlashTime(), 200) << "the desktop's flash time comes back";
        counter.paints = 0;
        QTest::qWait(250);
        EXPECT_GE(counter.paints, 1) << "blinking again after the key";
        QTest::qWait(200);
        EXPECT_TRUE(rest.resting()) << "and resting again after the next quiet spell";
    }
    EXPECT_EQ(QApplication::cursorFlashTime(), 200) << "gone, it leaves the flash time as it found it";
}
