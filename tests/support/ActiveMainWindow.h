#pragma once
// The main window with its player, active (so its keys reach it as a user's would), with the
// settings at their defaults and no reaction offset, and every question answered No.

#include <QMessageBox>
#include <QTest>
#include <memory>

#include "platform/widgets/MessageBox.h"
#include "settings/LiveSettings.h"
#include "settings/Utility.h"
#include "support/MainWindowFixture.h"

class ActiveMainWindow : public MainWindowWithPlayer {
protected:
    void SetUp() override {
        MainWindowWithPlayer::SetUp();
        liveSettings() = LiveSettings();
        liveSettings().setOffsetSwitch(false);
        answerer = std::make_unique<widgets::ScopedMessageBoxAnswerer>(
            [](QMessageBox&) { return static_cast<int>(mrNo); });
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void TearDown() override {
        answerer.reset();
        liveSettings() = LiveSettings();
        MainWindowWithPlayer::TearDown();
    }
    void key(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(target, key, modifiers);
    }

    std::unique_ptr<widgets::ScopedMessageBoxAnswerer> answerer;
};
