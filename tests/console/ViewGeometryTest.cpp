#include "console/ViewGeometry.h"

#include <gtest/gtest.h>

namespace {

// 40 × 10 whole cells of 8 × 16 and a 10-pixel strip of a partial row.
ViewMeasures View(int overhang) { return { { 0, 0, 320, 170 }, { 8, 16 }, { 40, 10 }, overhang }; }

}

TEST(ViewGeometry, ScrollPlans)
{
    struct Case {
        const char* name;
        CellPair from, to;
        int overhang;
        int dx, dy;
        PixelRect clip;
        std::vector<PixelRect> repaints;
    };
    const Case cases[] = {
        { "down: the partial row stays, then is repainted", { 0, 0 }, { 0, 3 }, 0, 0, -48, { 0, 0, 320, 160 },
            { { 0, 112, 320, 160 }, { 0, 160, 320, 170 } } },
        { "up", { 0, 5 }, { 0, 3 }, 0, 0, 32, { 0, 0, 320, 170 }, { { 0, 0, 320, 32 } } },
        { "right", { 0, 0 }, { 2, 0 }, 0, -16, 0, { 0, 0, 320, 170 }, { { 304, 0, 320, 170 } } },
        { "right with overhang: the left strip stays, then is repainted", { 0, 0 }, { 2, 0 }, 3, -16, 0,
            { 3, 0, 320, 170 }, { { 304, 0, 320, 170 }, { 0, 0, 3, 170 } } },
        { "left with overhang: the uncovered strip reaches the overhang further", { 4, 0 }, { 2, 0 }, 3, 16, 0,
            { 0, 0, 320, 170 }, { { 0, 0, 19, 170 } } },
        { "both axes with overhang: all of the clip, the partial row, the left strip", { 0, 0 }, { 1, 1 }, 3, -8, -16,
            { 3, 0, 320, 160 }, { { 3, 0, 320, 160 }, { 3, 160, 320, 170 }, { 0, 0, 3, 170 } } },
    };
    for (const Case& test : cases) {
        const ScrollPlan plan = PlanScroll(test.from, test.to, View(test.overhang));
        EXPECT_EQ(plan.dx, test.dx) << test.name;
        EXPECT_EQ(plan.dy, test.dy) << test.name;
        EXPECT_EQ(plan.clip, test.clip) << test.name;
        EXPECT_EQ(plan.repaints, test.repaints) << test.name;
    }
}

TEST(ViewGeometry, CellsInAClipBox)
{
    struct Case {
        const char* name;
        PixelRect clip;
        int overhang, originColumn;
        CellSpan expected;
    };
    const Case cases[] = {
        { "the whole grid", { 0, 0, 640, 400 }, 0, 0, { 0, 80, 0, 25 } },
        { "partial cells on every side", { 17, 20, 30, 40 }, 0, 0, { 2, 4, 1, 3 } },
        { "an overhang reaches back one cell", { 17, 20, 30, 40 }, 3, 0, { 1, 4, 1, 3 } },
        { "never left of the origin", { 0, 0, 80, 16 }, 0, 5, { 5, 11, 0, 1 } },
        { "right of the grid: nothing", { 700, 0, 720, 16 }, 0, 0, { 87, 80, 0, 1 } },
        { "below the grid: nothing", { 0, 400, 640, 420 }, 0, 0, { 0, 80, 25, 25 } },
    };
    for (const Case& test : cases)
        EXPECT_EQ(CellsInClip(test.clip, { 8, 16 }, test.overhang, test.originColumn, 80, 25), test.expected)
            << test.name;
}

TEST(ViewGeometry, CellRunRectangles)
{
    EXPECT_EQ(CellRunRect(2, 5, 3, { 0, 0 }, { 8, 16 }, 0), (PixelRect { 16, 48, 40, 64 }));
    EXPECT_EQ(CellRunRect(2, 5, 3, { 1, 1 }, { 8, 16 }, 3), (PixelRect { 8, 32, 35, 48 }));
    EXPECT_EQ(CellRunRect(0, 1, 0, { 0, -2 }, { 8, 16 }, 0), (PixelRect { 0, 32, 8, 48 })) << "while a scroll waits";
}
