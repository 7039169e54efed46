// The About panel: the two states, link colours on hover and one desktop
// open per link click.
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>
#include <string>
#include <vector>

#include "LumarokVersion.h"
#include "control/DesktopLinks.h"
#include "control/FrameAbout.h"
#include "gtest/gtest.h"
#include "views/MessageBox.h"

namespace {
class AboutTest : public testing::Test {
  protected:
    void SetUp() override {
        SetUrlObserver([this](const QString& address) {
            Opened << address;
            return Opens;
        });
        Panel.resize(210, 75);
        Panel.show();
    }
    void TearDown() override { SetUrlObserver({}); }

    bool DetailsShown() const {
        for (QLabel* label :
             {Panel.Label1, Panel.Label2, Panel.lbSales, Panel.lbSupport, Panel.lbHttp})
            if (!label->isVisible()) return false;
        return Panel.sbAbout2->isVisible() && !Panel.sbAbout1->isVisible();
    }
    bool RestShown() const {
        for (QLabel* label :
             {Panel.Label1, Panel.Label2, Panel.lbSales, Panel.lbSupport, Panel.lbHttp})
            if (label->isVisible()) return false;
        return Panel.sbAbout1->isVisible() && !Panel.sbAbout2->isVisible();
    }
    static QColor TextColour(QLabel* label) { return label->palette().color(QPalette::WindowText); }

    TFAbout Panel{nullptr};
    QStringList Opened;
    bool Opens = true;  // whether the desktop opens what it is given
};
}  // namespace

TEST_F(AboutTest, PictureClicksToggleBetweenRestAndDetails) {
    EXPECT_TRUE(RestShown());
    EXPECT_EQ(Panel.sbAbout1->geometry(), QRect(49, 7, 112, 62));
    EXPECT_FALSE(Panel.sbAbout1->icon().isNull());
    Panel.sbAbout1->click();
    EXPECT_TRUE(DetailsShown());
    EXPECT_EQ(Panel.sbAbout2->geometry(), QRect(3, 0, 53, 30));
    Panel.sbAbout2->click();
    EXPECT_TRUE(RestShown());
    EXPECT_TRUE(Opened.isEmpty());
}

TEST_F(AboutTest, LinksTurnRedUnderTheMouseAndBlueAfter) {
    Panel.AboutPictureClick();
    for (QLabel* link : {Panel.lbSales, Panel.lbSupport, Panel.lbHttp}) {
        EXPECT_EQ(TextColour(link), QColor(Qt::blue));
        EXPECT_TRUE(link->font().underline());
        QTest::mouseMove(link, QPoint(5, 5));
        QMouseEvent move(QEvent::MouseMove, QPointF(6, 6), link->mapToGlobal(QPointF(6, 6)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(link, &move);
        EXPECT_EQ(TextColour(link), QColor(Qt::red));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(link, &leave);
        EXPECT_EQ(TextColour(link), QColor(Qt::blue));
    }
    EXPECT_EQ(TextColour(Panel.Label1), QColor(Qt::black));
}

TEST_F(AboutTest, EachLinkClickOpensItsAddressOnce) {
    Panel.AboutPictureClick();
    QTest::mouseClick(Panel.lbHttp, Qt::LeftButton);
    QTest::mouseClick(Panel.lbSales, Qt::LeftButton);
    QTest::mouseClick(Panel.lbSupport, Qt::LeftButton);
    ASSERT_EQ(Opened.size(), 3);
    EXPECT_TRUE(Opened[0].startsWith("https://"));
    EXPECT_TRUE(Opened[1].startsWith("mailto:"));
    EXPECT_TRUE(Opened[2].startsWith("mailto:"));
    EXPECT_NE(Opened[1], Opened[2]);
    EXPECT_TRUE(Panel.lbHttp->text().contains("placeholder"));
    QTest::mouseClick(Panel.Label1, Qt::LeftButton);  // plain text is not a link
    EXPECT_EQ(Opened.size(), 3);
}

// A link the desktop cannot open is said in a message naming the address;
// one that opens says nothing. The version stands on the panel.
TEST_F(AboutTest, ALinkThatCannotOpenIsSaidAndTheVersionIsShown) {
    std::vector<std::string> messages;
    SetMessageObserver(
        [&](const std::string& text, const std::string&) { messages.push_back(text); });
    Panel.AboutPictureClick();
    QTest::mouseClick(Panel.lbHttp, Qt::LeftButton);
    EXPECT_TRUE(messages.empty());
    Opens = false;
    QTest::mouseClick(Panel.lbSupport, Qt::LeftButton);
    SetMessageObserver({});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(Opened.back().toStdString()), std::string::npos) << messages[0];
    EXPECT_TRUE(Panel.Label2->text().endsWith(LUMAROKUB_VERSION));
    EXPECT_TRUE(Panel.sbAbout1->toolTip().contains(LUMAROKUB_VERSION));
}
