// The player bar's row: the position label keeps the width of its longest
// text, so the seek slider keeps its own however the position reads.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QSlider>

#include "control/PlayerBar.h"

TEST(PlayerBar, TheSliderKeepsItsWidthAsThePositionGrows) {
    TPlayerBar bar(nullptr, nullptr);
    bar.show();
    const char* const texts[] = {"", "0/12", "512/4096 10:00:01", "4095/4096 23:59:59 end",
                                 TPlayerBar::LongestPosition};
    int labelWidth = -1, sliderWidth = -1;
    for (const char* text : texts) {
        bar.positionLabel->setText(text);
        QApplication::processEvents();
        bar.adjustSize();
        SCOPED_TRACE(text);
        EXPECT_GE(bar.positionSlider->width(), TPlayerBar::MinSliderWidth);
        EXPECT_GE(bar.positionLabel->contentsRect().width(),
                  bar.positionLabel->fontMetrics().horizontalAdvance(text))
            << "the whole text is shown";
        if (labelWidth >= 0) {
            EXPECT_EQ(bar.positionLabel->width(), labelWidth) << "the label never moves the row";
            EXPECT_EQ(bar.positionSlider->width(), sliderWidth);
        }
        labelWidth = bar.positionLabel->width();
        sliderWidth = bar.positionSlider->width();
    }
}
