// The donation offer at the end of every close request, and the user name it looks at.

#include <QMessageBox>
#include <QTimer>

#include "dialogs/Donation.h"
#include "platform/system/Random.h"
#include "platform/system/UserName.h"
#include "platform/widgets/MessageBox.h"
#include "settings/Utility.h"
#include "support/MainWindowFixture.h"

namespace {

class DonationOffer : public MainWindowWithPlayer {
protected:
    void SetUp() override {
        MainWindowWithPlayer::SetUp();
        donation = std::make_unique<TFormDonation>(form.get());
        FormDonation = donation.get();
        donation->installEventFilter(&showCounter);
        answerer = std::make_unique<widgets::ScopedMessageBoxAnswerer>(
            [](QMessageBox&) { return static_cast<int>(mrCancel); });
    }
    void TearDown() override {
        answerer.reset();
        FormDonation = nullptr;
        donation.reset();
        MainWindowWithPlayer::TearDown();
    }
    // Asks the window to close `times` times; returns how often the donation dialog showed.
    int offersOver(int times) {
        showCounter.shows = 0;
        for (int i = 0; i < times; ++i) {
            form->show();
            QTimer::singleShot(0, [] {
                if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
            });
            form->close();
        }
        return showCounter.shows;
    }

    struct ShowCounter : QObject {
        int shows = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Show) ++shows;
            return false;
        }
    } showCounter;
    std::unique_ptr<TFormDonation> donation;
    std::unique_ptr<widgets::ScopedMessageBoxAnswerer> answerer;
};

}  // namespace

TEST(CurrentUserName, ANameThatDoesNotFitSixteenCharactersReadsAsEmpty) {
    {
        desktop::ScopedUserName user(QByteArray("fifteen-letters"));
        EXPECT_EQ(GetCurrentUserName(), QStringLiteral("fifteen-letters"));
    }
    {
        desktop::ScopedUserName user(QByteArray("sixteen-letters!"));
        EXPECT_TRUE(GetCurrentUserName().isEmpty());
    }
    {
        desktop::ScopedUserName user(std::nullopt);
        EXPECT_TRUE(GetCurrentUserName().isEmpty());
    }
    EXPECT_FALSE(GetCurrentUserName().isEmpty()) << "the real user, from the password database";
}

TEST_F(DonationOffer, AboutOneCloseInThreeForEveryoneButNoname) {
    desktop::ScopedUserName user(QByteArray("someone"));
    desktop::seedRandom(7);
    const int offers = offersOver(150);
    EXPECT_GT(offers, 30);
    EXPECT_LT(offers, 70);

    desktop::ScopedUserName noname(QByteArray("noname"));
    EXPECT_EQ(offersOver(60), 0);
}

TEST_F(DonationOffer, TheOfferIsMadeOnExactlyOneDrawOfThree) {
    desktop::ScopedUserName user(QByteArray("someone"));
    int draw = 0;
    QList<int> ranges;
    desktop::ScopedRandomSource source([&](int range) {
        ranges << range;
        return draw;
    });
    QList<int> shownFor;
    for (draw = 0; draw < 3; ++draw) {
        if (offersOver(1) == 1) shownFor << draw;
    }
    EXPECT_EQ(ranges, (QList<int>{3, 3, 3})) << "one draw among three per close";
    EXPECT_EQ(shownFor, QList<int>{1});
}

TEST_F(DonationOffer, ARefusedCloseStillMakesTheOffer) {
    desktop::ScopedUserName user(QByteArray("someone"));
    desktop::seedRandom(11);
    form->State.changeLyrics();  // the save prompt answers Cancel: every close is refused
    const int offers = offersOver(60);
    EXPECT_TRUE(form->isVisible());
    EXPECT_GT(offers, 8);
    EXPECT_LT(offers, 35);
}
