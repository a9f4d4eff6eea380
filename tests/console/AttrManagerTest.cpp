#include "console/AttrManager.h"
#include "FakeMeasurer.h"
#include "common/Exceptions.h"
#include "format/Palette.h"

#include <gtest/gtest.h>

namespace {

TFixedFont& Coloured(TFixedFont& font, TColor foreground, TColor background)
{
    font.SetColor(foreground);
    font.SetBkColor(background);
    return font;
}

class AttrManagerTest : public ::testing::Test {
protected:
    FakeMeasurer measurer;
    TAttrManager table { measurer };
};

}

TEST_F(AttrManagerTest, FreeChainIsLastInFirstOutWithComplementLinks)
{
    TFixedFont font;
    for (int i = 0; i < 6; ++i) {
        Coloured(font, static_cast<TColor>(i), 0);
        ASSERT_EQ(table.FindOrAdd(font), i);
        table.ChangeRefCount(i, 1);
    }
    EXPECT_EQ(table.FreeHead(), -1);
    table.ChangeRefCount(3, -1);
    EXPECT_EQ(table.FreeLink(3), -2147483647);
    EXPECT_EQ(table.FreeHead(), 3);
    table.ChangeRefCount(5, -1);
    EXPECT_EQ(table.FreeLink(5), -4);
    EXPECT_EQ(table.FreeHead(), 5);
    EXPECT_EQ(table.GetAttr(5), nullptr);

    EXPECT_EQ(table.AllocSlot(), 5);
    EXPECT_EQ(table.AllocSlot(), 3);
    EXPECT_EQ(table.FreeHead(), -1);
    EXPECT_EQ(table.AllocSlot(), table.Count());
}

TEST_F(AttrManagerTest, LookupDistinguishesColoursAndFontsButNotRefCounts)
{
    TFixedFont base;
    Coloured(base, Palette[7], 0);
    const int first = table.FindOrAdd(base);

    TFixedFont same;
    Coloured(same, Palette[7], 0);
    EXPECT_EQ(table.FindOrAdd(same), first);

    struct Variant {
        const char* what;
        void (*change)(TFixedFont&);
    };
    const Variant variants[] = {
        { "background only", [](TFixedFont& f) { f.SetBkColor(1); } },
        { "foreground only", [](TFixedFont& f) { f.SetColor(1); } },
        { "face", [](TFixedFont& f) { f.SetName("Other"); } },
        { "size", [](TFixedFont& f) { f.SetSize(20); } },
        { "style", [](TFixedFont& f) { f.SetStyle(fsBold); } },
        { "system colour", [](TFixedFont& f) { f.SetBkColor(clWindow); } },
    };
    for (const Variant& variant : variants) {
        TFixedFont changed;
        Coloured(changed, Palette[7], 0);
        variant.change(changed);
        const int index = table.FindOrAdd(changed);
        EXPECT_NE(index, first) << variant.what;
        EXPECT_EQ(table.GetAttr(index)->RefCount, 0u) << variant.what;
    }
}

TEST_F(AttrManagerTest, SystemColourAndItsCurrentRgbAreTwoAttributes)
{
    TFixedFont system, explicitWhite;
    Coloured(system, clWindowText, clWindow);
    Coloured(explicitWhite, clWindowText, 0x00FFFFFF);
    EXPECT_NE(table.FindOrAdd(system), table.FindOrAdd(explicitWhite));
}

TEST_F(AttrManagerTest, ReleasingAtZeroAlsoForADeltaOfZero)
{
    TFixedFont font;
    const int index = table.FindOrAdd(font);
    table.ChangeRefCount(index, 0);
    EXPECT_EQ(table.GetAttr(index), nullptr);
    EXPECT_EQ(table.FreeHead(), index);
    // The released index is handed out again before the table grows.
    Coloured(font, 5, 6);
    EXPECT_EQ(table.FindOrAdd(font), index);
    EXPECT_EQ(table.Count(), 1);
}

TEST_F(AttrManagerTest, CacheDoesNotReturnAReleasedAttribute)
{
    TFixedFont font;
    const int index = table.FindOrAdd(font);
    table.ChangeRefCount(index, 2);
    table.ChangeRefCount(index, -2);
    const int again = table.FindOrAdd(font);
    ASSERT_NE(table.GetAttr(again), nullptr);
    EXPECT_EQ(table.GetAttr(again)->RefCount, 0u);
}

TEST_F(AttrManagerTest, IndexOutsideTheTableIsAListError)
{
    TFixedFont font;
    table.FindOrAdd(font);
    try {
        table.GetAttr(7);
        FAIL();
    } catch (const EListError& error) {
        EXPECT_STREQ(error.what(), "List index out of bounds (7)");
    }
    EXPECT_THROW(table.ChangeRefCount(-1, 1), EListError);
}

TEST_F(AttrManagerTest, ClearEmptiesEverything)
{
    TFixedFont font;
    table.FindOrAdd(font);
    table.ChangeRefCount(0, 0);
    table.Clear();
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.FreeHead(), -1);
    EXPECT_EQ(table.FindOrAdd(font), 0);
}

TEST_F(AttrManagerTest, DescentOverhangFromMetrics)
{
    TFixedFont font;
    font.SetName("Slanted");
    TextMetrics metrics;
    metrics.ascent = 10;
    metrics.descent = 3;
    metrics.overhang = 5; // 1.5 rounds to 2
    measurer.overrides["Slanted"] = metrics;
    EXPECT_EQ(table.GetAttr(table.FindOrAdd(font))->DescentOverhang, 2);

    font.SetName("Flat");
    metrics.ascent = 0;
    measurer.overrides["Flat"] = metrics;
    EXPECT_EQ(table.GetAttr(table.FindOrAdd(font))->DescentOverhang, -1);
}
