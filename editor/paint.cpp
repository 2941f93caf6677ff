#include "editor/paint.h"

#include <algorithm>
#include <memory>

#include "editor/caret_selection.h"
#include "editor/line_paint.h"
#include "editor/sql_tokenizer.h"
#include "editor/text_measure.h"
#include "editor/window_common.h"

void RCEStateAtRow(RCE_STATE* s, const RCERowPos& row, RCELineState* ls)
{
    *ls = RCELineState{0, 0, 0};
    if (!s->colouringActive)
        return;
    RCEEnsureLineStates(s, row.number);
    RCEGetLineState(s, row.number, ls);
}

namespace {

// Paints one row token by token, splitting tokens at the selection's ends.
class RowPainter
{
public:
    RowPainter(RCE_STATE* s, HDC dc, int right) : s_(s), dc_(dc), right_(right)
    {
        sel_ = s->selActive && RCECaretDiffers(s, s->anchorIndex, s->anchorVCol);
        RCEGetSelRange(s, &a_, &acol_, &b_, &bcol_);
        textColour_ = GetSysColor(COLOR_WINDOWTEXT);
    }

    void Paint(const RCERowPos& rec, int y)
    {
        int h = RCERowHeight(s_);
        back_ = RCELineBackColor(s_, rec);
        rec_ = rec;
        x_ = 0;
        cell_ = RECT{-RCEShiftX(s_), y, right_, y + h};
        RCELineState ls;
        RCEStateAtRow(s_, rec, &ls);
        RCETokenSpan span = RCEGetTokenSpan(s_, &rec);
        int pos = 0;
        int carry = std::min<int>((int)ls.carry, span.visible);
        if (carry > 0 && RCEHasRows(s_))
        {
            Segment(span.text, 0, carry, RCEStateCarryColoured(ls) ? ls.colour : textColour_);
            pos = carry;
        }
        BYTE state = RCEStateByte(ls);
        bool wrap = RCEHasRows(s_);
        while (pos < span.visible && cell_.left < cell_.right)
        {
            COLORREF c = textColour_;
            int coloured = 0, token = 0;
            BYTE out = state;
            RCETokenize(s_, state, span, pos, &c, &coloured, &token, &out);
            if (token < 1)
                token = 1;
            int step = wrap && coloured > 0 ? coloured : token;
            int end = std::min(pos + step, span.visible);
            int colEnd = std::min(pos + std::max(coloured, 0), end);
            if (colEnd > pos)
                Segment(span.text, pos, colEnd, c);
            if (end > colEnd)
                Segment(span.text, colEnd, end, textColour_);
            state = out;
            pos = end;
        }
        // The rest of the row, and the selection beyond the text end in virtual space.
        int textEnd = cell_.left;
        if (cell_.left < cell_.right)
            Fill(cell_.left, cell_.right, back_);
        if (sel_ && RCEVirtualSpace(s_))
        {
            UINT32 visEnd = rec.start + (UINT32)span.visible;
            int sp = 0;
            GetCharWidth32W(dc_, L' ', L' ', &sp);
            int from = -1, to = -1;
            if (a_ <= visEnd && (b_ > visEnd || (b_ == visEnd && bcol_ > 0)))
            {
                from = textEnd + (a_ == visEnd ? (int)acol_ * sp : 0);
                to = b_ > visEnd ? right_ : textEnd + (int)bcol_ * sp;
            }
            if (from >= 0 && to > from)
                Fill(from, std::min(to, right_), textColour_);
        }
    }

private:
    void Fill(int left, int right, COLORREF colour)
    {
        RECT rc{left, cell_.top, right, cell_.bottom};
        COLORREF old = SetBkColor(dc_, colour);
        ExtTextOutW(dc_, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
        SetBkColor(dc_, old);
    }

    // Characters [from, to) of the row in one colour, split by the selection.
    void Segment(const WCHAR* text, int from, int to, COLORREF colour)
    {
        while (from < to && cell_.left < cell_.right)
        {
            UINT32 idx = rec_.start + (UINT32)from;
            bool inSel = sel_ && idx >= a_ && idx < b_;
            int stop = to;
            if (sel_)
            {
                if (idx < a_)
                    stop = std::min<int>(to, (int)(a_ - rec_.start));
                else if (idx < b_)
                    stop = std::min<int>(to, (int)(b_ - rec_.start));
            }
            int w = 0;
            if (inSel)
                RCEPaintRun(s_, dc_, colour, back_, x_, text + from, stop - from, &cell_, true, &w);
            else
                RCEPaintRun(s_, dc_, back_, colour, x_, text + from, stop - from, &cell_, true, &w);
            x_ += w;
            from = stop;
        }
    }

    RCE_STATE* s_;
    HDC dc_;
    int right_;
    bool sel_;
    UINT32 a_, acol_, b_, bcol_;
    COLORREF textColour_, back_ = 0;
    RCERowPos rec_{};
    int x_ = 0;
    RECT cell_{};
};

// Paints the rows [first, last] that meet [clipTop, clipBottom) into dc.
void PaintRows(RCE_STATE* s, HDC dc, UINT32 first, UINT32 last, int clipTop, int clipBottom)
{
    RECT client{};
    GetClientRect(s->hwnd, &client);
    if (!s->text)
    { // the text could not be locked: nothing to show
        COLORREF old = SetBkColor(dc, RCEBackColor(s));
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
        SetBkColor(dc, old);
        return;
    }
    RCEValidateRows(s);
    int h = RCERowHeight(s);
    HGDIOBJ oldFont = s->font ? SelectObject(dc, s->font) : nullptr;
    RowPainter painter(s, dc, client.right);
    RCERowPos rec = s->topRow;
    bool have = true;
    UINT32 number = s->topRow.number;
    for (int y = 0; y < client.bottom; y += h, ++number)
    {
        bool wanted = number >= first && number <= last && y + h > clipTop && y < clipBottom;
        if (wanted)
        {
            if (have)
            {
                painter.Paint(rec, y);
            }
            else
            {
                RECT rc{0, y, client.right, y + h};
                COLORREF old = SetBkColor(dc, RCEBackColor(s));
                ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
                SetBkColor(dc, old);
            }
        }
        if (number > last || y + h >= clipBottom)
            break;
        if (have)
            have = RCEStepLine(s, &rec, true);
    }
    if (oldFont)
        SelectObject(dc, oldFont);
}

} // namespace

void RCEOnPaint(RCE_STATE* s)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(s->hwnd, &ps);
    if (dc && s->metricsValid)
    {
        HideCaret(s->hwnd);
        PaintRows(s, dc, 0, UINT32(-1), ps.rcPaint.top, ps.rcPaint.bottom);
        ShowCaret(s->hwnd);
    }
    EndPaint(s->hwnd, &ps);
}

void RCEPrintClient(RCE_STATE* s, HDC dc)
{
    RECT client{};
    if (dc && s->metricsValid && GetClientRect(s->hwnd, &client))
        PaintRows(s, dc, 0, UINT32(-1), 0, client.bottom);
}

void RCERepaintRows(RCE_STATE* s, UINT32 firstRow, UINT32 lastRow)
{
    if (!s->metricsValid || !IsWindowVisible(s->hwnd))
        return;
    if (lastRow < firstRow)
        std::swap(firstRow, lastRow);
    RCEValidateRows(s);
    if (lastRow < s->topRow.number)
        return;
    UINT32 vis = RCEVisibleLines(s) + 1;
    if (firstRow >= s->topRow.number + vis)
        return;
    HDC dc = GetDC(s->hwnd);
    if (!dc)
        return;
    HideCaret(s->hwnd);
    RECT client{};
    GetClientRect(s->hwnd, &client);
    PaintRows(s, dc, firstRow, lastRow, 0, client.bottom);
    ShowCaret(s->hwnd);
    ReleaseDC(s->hwnd, dc);
}

void RCERedraw(RCE_STATE* s)
{
    RedrawWindow(s->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void RCEMeasureRows(RCE_STATE* s, RCERowPos row, UINT32 count)
{
    if (!s->text || !count)
        return;
    UINT32 widest = s->widestRow;
    std::unique_ptr<RCEFontDC> fdc;
    // A row that cannot be wider than the widest one, even in the font's widest characters,
    // needs no measuring.
    int maxChar = std::max<int>(s->tm.tmMaxCharWidth, s->tm.tmAveCharWidth);
    // In a fixed-pitch font a row of plain ASCII is as wide as its columns.
    bool fixedPitch =
        s->metricsValid && !(s->tm.tmPitchAndFamily & TMPF_FIXED_PITCH) && s->tm.tmAveCharWidth > 0;
    UINT32 tab = s->tabSize ? s->tabSize : 8;
    for (UINT32 k = 0; k < count; ++k)
    {
        UINT32 visible = RCEVisibleLength(s, &row);
        UINT64 cells = visible, columns = 0;
        bool plain = fixedPitch;
        for (UINT32 i = row.start; i < row.start + visible; ++i)
        {
            WCHAR c = s->text[i];
            if (c == L'\t')
            {
                cells += tab - 1;
                columns = (columns / tab + 1) * tab;
            }
            else
            {
                plain = plain && c >= 0x20 && c < 0x7F;
                ++columns;
            }
        }
        if (!s->metricsValid || maxChar <= 0 || cells * (UINT64)maxChar > widest)
        {
            if (plain)
            {
                widest = std::max<UINT64>(widest, columns * (UINT64)s->tm.tmAveCharWidth);
            }
            else
            {
                if (!fdc)
                    fdc = std::make_unique<RCEFontDC>(s);
                if (!fdc->dc())
                    return;
                widest =
                    std::max<UINT32>(widest, (UINT32)std::max(0, RCELineWidth(fdc->dc(), s, &row)));
            }
        }
        if (k + 1 < count && !RCEStepLine(s, &row, true))
            break;
    }
    fdc.reset();
    if (widest != s->widestRow)
    {
        s->widestRow = widest;
        RCERequestHScrollUpdate(s);
    }
}
