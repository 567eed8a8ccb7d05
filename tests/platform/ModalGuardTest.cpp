// The test suites' own guard: a modal dialog nobody answers fails its test and is closed, instead of
// hanging the run until CTest's timeout.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QDialog>
#include <QElapsedTimer>

#include "support/ModalGuard.h"

TEST(ModalGuard, ADialogLeftOpenFailsItsTestAndIsClosed) {
    {
        const testsupport::ScopedModalLimit shortLimit(std::chrono::milliseconds(300));
        QDialog dialog;
        dialog.setWindowTitle(QStringLiteral("Nobody answers"));
        QElapsedTimer clock;
        clock.start();
        int result = -1;
        EXPECT_NONFATAL_FAILURE(result = dialog.exec(),
                                "a modal dialog was left open for 300 ms: \"Nobody answers\"");
        EXPECT_EQ(result, QDialog::Rejected);
        EXPECT_LT(clock.elapsed(), 2000);
    }
    EXPECT_EQ(testsupport::modalLimit(), std::chrono::milliseconds(5000))
        << "the short limit only while it lives";
}
