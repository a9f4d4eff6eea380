#include "ViewGeometry.h"

#include <algorithm>

PixelRect Uncovered(const PixelRect& clip, int dx, int dy)
{
    PixelRect vertical = clip;
    if (dy < 0)
        vertical.top = std::max(clip.top, clip.bottom + dy);
    else if (dy > 0)
        vertical.bottom = std::min(clip.bottom, clip.top + dy);
    PixelRect horizontal = clip;
    if (dx < 0)
        horizontal.left = std::max(clip.left, clip.right + dx);
    else if (dx > 0)
        horizontal.right = std::min(clip.right, clip.left + dx);
    if (dx == 0)
        return vertical;
    if (dy == 0)
        return horizontal;
    return clip; // both axes at once: repaint the lot
}

ScrollPlan PlanScroll(CellPair from, CellPair to, const ViewMeasures& view)
{
    ScrollPlan plan;
    plan.clip = view.client;
    if (to.x > from.x)
        plan.clip.left += view.overhang;
    if (to.y > from.y)
        plan.clip.bottom = view.clientCells.y * view.cellSize.y; // the partial bottom row is not moved
    plan.dx = (from.x - to.x) * view.cellSize.x;
    plan.dy = (from.y - to.y) * view.cellSize.y;
    PixelRect exposed = Uncovered(plan.clip, plan.dx, plan.dy);

    if (to.y > from.y) {
        plan.repaints.push_back(exposed);
        exposed = { exposed.left, plan.clip.bottom, exposed.right, view.client.bottom };
    }
    if (to.x != from.x && view.overhang > 0) {
        if (to.x < from.x) {
            // Glyphs left of the old picture reach into it.
            exposed.left = 0;
            exposed.right = std::max(exposed.right, (from.x - to.x) * view.cellSize.x + view.overhang);
        } else {
            plan.repaints.push_back(exposed);
            exposed = { 0, 0, view.overhang, view.client.bottom };
        }
    }
    plan.repaints.push_back(exposed);
    return plan;
}

CellSpan CellsInClip(const PixelRect& clip, CellPair cellSize, int overhang, int originColumn, int cols, int rows)
{
    return {
        std::max(originColumn, (clip.left - overhang) / cellSize.x),
        std::min(cols, (clip.right + cellSize.x) / cellSize.x),
        std::max(0, clip.top / cellSize.y),
        std::min(rows, (clip.bottom + cellSize.y - 1) / cellSize.y),
    };
}

PixelRect CellRunRect(int from, int to, int row, CellPair origin, CellPair cellSize, int overhang)
{
    const int top = (row - origin.y) * cellSize.y;
    return { (from - origin.x) * cellSize.x, top, (to - origin.x) * cellSize.x + overhang, top + cellSize.y };
}
