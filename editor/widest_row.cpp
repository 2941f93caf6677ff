#include "editor/widest_row.h"

#include <algorithm>
#include <memory>

#include "editor/line_index.h"
#include "editor/line_paint.h"
#include "editor/paint.h"
#include "editor/text_buffer.h"
#include "editor/text_measure.h"
#include "editor/window_common.h"

bool RCERowsReachWidest(RCE_STATE* s, RCERowPos row, UINT32 end)
{
    if (!s->text || s->widestRow == 0 || RCEWrapOn(s))
        return false;
    // A row that cannot reach the widest width even in the font's widest characters is skipped
    // unmeasured: typing and deleting in short rows stays cheap.
    int maxChar = std::max<int>(s->tm.tmMaxCharWidth, s->tm.tmAveCharWidth);
    UINT32 tab = s->tabSize ? s->tabSize : 8;
    std::unique_ptr<RCEFontDC> fdc; // taken only when a row needs measuring
    for (;;)
    {
        UINT32 visible = RCEVisibleLength(s, &row);
        UINT64 cells = 0;
        for (UINT32 i = row.start; i < row.start + visible; ++i)
            cells += s->text[i] == L'\t' ? tab : 1;
        if (!s->metricsValid || maxChar <= 0 || cells * (UINT64)maxChar >= s->widestRow)
        {
            if (!fdc)
                fdc = std::make_unique<RCEFontDC>(s);
            if (!fdc->dc())
                return true;
            if ((UINT32)std::max(0, RCELineWidth(fdc->dc(), s, &row)) >= s->widestRow)
                return true;
        }
        if (row.end >= end || !RCEStepLine(s, &row, true))
            return false;
    }
}

void RCERemeasureWidest(RCE_STATE* s)
{
    UINT32 before = s->widestRow;
    s->widestRow = 0;
    RCERowPos first{};
    if (s->text && s->length > 0 && RCEGetLineRec(s, 0, &first))
        RCEMeasureRows(s, first, RCELineCount(s));
    if (s->widestRow == before)
        return;
    // The first visible column may now lie beyond the text: the view moves back so that the
    // end of the widest row meets the right edge (or the text starts at the left edge).
    UINT32 widest = RCEWidestColumns(s);
    UINT32 page = RCEVisibleColumns(s);
    UINT32 last = widest > page ? widest - page : 0;
    if (s->firstVisibleColumn > last)
    {
        s->firstVisibleColumn = last;
        RCERedraw(s);
    }
    RCEUpdateHScroll(s);
}
