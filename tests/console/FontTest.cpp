#include "console/Font.h"

#include <gtest/gtest.h>

TEST(FixedFont, StartsAsCourierNewInWindowColours)
{
    TFixedFont font;
    EXPECT_EQ(font.Name(), "Courier New");
    EXPECT_EQ(font.Color(), clWindowText);
    EXPECT_EQ(font.BkColor(), clWindow);
}

TEST(FixedFont, BkColorAlwaysNotifiesColorOnlyOnChange)
{
    TFixedFont font;
    int notified = 0;
    font.OnChange = [&] { ++notified; };
    font.SetBkColor(font.BkColor());
    EXPECT_EQ(notified, 1);
    font.SetColor(font.Color());
    EXPECT_EQ(notified, 1);
    font.SetColor(0x123456);
    EXPECT_EQ(notified, 2);
}

TEST(FixedFont, SizeAndHeightConvertAtNinetySixDpi)
{
    TFixedFont font;
    font.SetSize(10);
    EXPECT_EQ(font.Height(), 13);
    EXPECT_EQ(font.Size(), 10);
    font.SetHeight(11);
    EXPECT_EQ(font.Size(), 8);
}

TEST(FixedFont, CopyFromTakesBkColorOnlyFromAFixedFont)
{
    TFixedFont target;
    target.SetBkColor(0x111111);

    TFont plain;
    plain.SetName("Plain");
    target.CopyFrom(plain);
    EXPECT_EQ(target.Name(), "Plain");
    EXPECT_EQ(target.BkColor(), 0x111111u);

    TFixedFont fixed;
    fixed.SetBkColor(0x222222);
    target.CopyFrom(fixed);
    EXPECT_EQ(target.BkColor(), 0x222222u);
    EXPECT_EQ(target.Name(), "Courier New");
}

TEST(FixedFont, FailedCopyPutsBkColorBack)
{
    TFixedFont target;
    target.SetBkColor(0x111111);
    target.OnChange = [] { throw std::runtime_error("refused"); };
    TFixedFont source;
    source.SetName("Other");
    source.SetBkColor(0x222222);
    EXPECT_THROW(target.CopyFrom(source), std::runtime_error);
    EXPECT_EQ(target.BkColor(), 0x111111u);
}

TEST(FixedFont, HandleIgnoresColours)
{
    TFixedFont a, b;
    b.SetColor(0x00FF00);
    b.SetBkColor(0x0000FF);
    EXPECT_EQ(a.Handle(), b.Handle());
    b.SetStyle(fsBold);
    EXPECT_NE(a.Handle(), b.Handle());
}
