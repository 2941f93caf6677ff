#include "editor/word_wrap.h"

#include <algorithm>
#include <vector>

#include "editor/ident_char.h"
#include "editor/measurer.h"
#include "editor/rce_messages.h"
#include "editor/text_measure.h"

namespace {

const int kNoLimit = 0x7fffffff;

// Builds the row that starts at `start`; returns the index where the next row starts (the
// character after the LF when the row ends its logical line). last is set when the row ends the
// text.
UINT32 BuildRow(RCEMeasurer& m, const RCE_STATE* st, int width, UINT32 start, bool* last)
{
    const WCHAR* text = st->text;
    UINT32 length = st->length;
    const WCHAR* lf = start < length ? wmemchr(text + start, L'\n', length - start) : nullptr;
    UINT32 lineEnd = lf ? (UINT32)(lf - text) : length;
    auto endOfLine = [&]() {
        *last = lineEnd >= length;
        return *last ? length : lineEnd + 1;
    };
    *last = false;
    if (start >= lineEnd)
        return endOfLine();

    // The first cell always stays on the row.
    int w = 0;
    UINT32 n = 0;
    if (!m.Cell(0, text + start, lineEnd - start, &w, &n) || n == 0)
        n = 1;
    bool cellMode = RCEIsIdent(text[start]);
    int x = w;
    UINT32 i = start + n;
    while (i < lineEnd)
    {
        int pw = 0;
        UINT32 pn = 0;
        if (cellMode && RCEIsIdent(text[i]))
        {
            if (!m.Cell(x, text + i, lineEnd - i, &pw, &pn) || pn == 0)
                pn = 1;
        }
        else
        {
            cellMode = false;
            if (RCEIsIdent(text[i]))
            {
                UINT32 j = i + 1;
                while (j < lineEnd && RCEIsIdent(text[j]))
                    ++j;
                SIZE s{};
                m.Text(x, text + i, j - i, &s, kNoLimit, nullptr);
                pw = s.cx;
                pn = j - i;
            }
            else if (!m.Cell(x, text + i, lineEnd - i, &pw, &pn) || pn == 0)
            {
                pn = 1;
            }
        }
        if (width >= 1 && x + pw > width)
            return i; // the piece begins the next row
        x += pw;
        i += pn;
    }
    return endOfLine();
}

// Renumbers the line field from row `from` on; stops past `through` at the first row whose
// stored line already agrees.
void Renumber(std::vector<RCEWrapRow>& rows, const WCHAR* text, size_t from, size_t through)
{
    for (size_t k = from; k < rows.size(); ++k)
    {
        UINT32 line = 0;
        if (k > 0)
        {
            UINT32 s = rows[k].start;
            line = rows[k - 1].line + ((s > 0 && text[s - 1] == L'\n') ? 1 : 0);
        }
        if (k > through && rows[k].line == line)
            return;
        rows[k].line = line;
    }
}

} // namespace

int RCEWrapWidth(const RCE_STATE* st)
{
    if (st->wrapWidth >= 0)
        return st->wrapWidth;
    RECT rc{};
    if (st->hwnd && GetClientRect(st->hwnd, &rc))
        return std::abs((int)(rc.right - rc.left));
    return 0;
}

bool RCERewrap(HDC dc, RCE_STATE* st, int width, UINT32 fromRow, UINT32 editEnd,
               RCEWrapReport* report)
{
    std::vector<RCEWrapRow>& rows = st->wrapRows;
    RCEWrapReport local{};
    if (!report)
        report = &local;
    report->rowsBefore = (UINT32)rows.size();
    if (rows.empty())
        fromRow = 0;
    else if (fromRow >= rows.size())
        fromRow = (UINT32)rows.size() - 1;
    report->firstRow = fromRow;
    if (!st->text && st->length > 0)
        return false;

    width = std::abs(width);
    RCEMeasurer m(dc, st);
    UINT32 start = rows.empty() ? 0 : rows[fromRow].start;
    std::vector<RCEWrapRow> built;
    size_t resume = rows.size(); // first stored row kept after the rebuilt ones
    size_t probe = fromRow + 1;
    for (;;)
    {
        built.push_back(RCEWrapRow{start, 0, RCELineState{0, 0, 0}});
        bool last = false;
        UINT32 next = st->text ? BuildRow(m, st, width, start, &last) : 0;
        if (last || next >= st->length)
        {
            // A text ending in LF has an empty last row after it.
            if (!last && next == st->length && st->length > 0 && st->text[next - 1] == L'\n')
            {
                built.push_back(RCEWrapRow{next, 0, RCELineState{0, 0, 0}});
            }
            resume = rows.size();
            break;
        }
        // Past the edit, a row start the stored table also has means the rest agrees.
        if (next >= editEnd)
        {
            while (probe < rows.size() && rows[probe].start < next)
                ++probe;
            if (probe < rows.size() && rows[probe].start == next)
            {
                resume = probe;
                break;
            }
        }
        start = next;
    }
    size_t builtCount = built.size();
    report->rowsRemoved = (UINT32)(resume - fromRow);
    report->rowsAdded = (UINT32)builtCount;
    if (rows.empty())
    {
        rows.swap(built);
    }
    else
    {
        rows.erase(rows.begin() + fromRow, rows.begin() + resume);
        rows.insert(rows.begin() + fromRow, built.begin(), built.end());
    }
    Renumber(rows, st->text, fromRow, fromRow + builtCount);
    if (st->wrapStatesValid > fromRow)
        st->wrapStatesValid = fromRow;
    return true;
}

bool RCEWrapAll(RCE_STATE* st, RCEWrapReport* report)
{
    if (!(st->options & RCEO_WORDWRAP))
        return false;
    st->wrapRows.clear();
    st->wrapStatesValid = 0;
    RCEFontDC fdc(st);
    if (!fdc.dc())
        return false;
    return RCERewrap(fdc.dc(), st, RCEWrapWidth(st), 0, 0, report);
}

bool RCEWrapInsert(RCE_STATE* st, UINT32 p, UINT32 n, RCEWrapReport* report)
{
    if (!(st->options & RCEO_WORDWRAP))
        return false;
    if (st->wrapRows.empty())
        return RCEWrapAll(st, report);
    auto& rows = st->wrapRows;
    size_t k = std::upper_bound(rows.begin(), rows.end(), p,
                                [](UINT32 v, const RCEWrapRow& r) { return v < r.start; }) -
               rows.begin();
    for (size_t j = k; j < rows.size(); ++j)
        rows[j].start += n;
    // The row holding p, and the one before it: a shorter first word may now fit there.
    UINT32 from = k > 0 ? (UINT32)(k - 1) : 0;
    if (from > 0)
        --from;
    RCEFontDC fdc(st);
    if (!fdc.dc())
        return false;
    return RCERewrap(fdc.dc(), st, RCEWrapWidth(st), from, p + n, report);
}

bool RCEWrapDelete(RCE_STATE* st, UINT32 p, UINT32 n, RCEWrapReport* report)
{
    if (!(st->options & RCEO_WORDWRAP))
        return false;
    if (st->wrapRows.empty())
        return RCEWrapAll(st, report);
    auto& rows = st->wrapRows;
    size_t k = std::upper_bound(rows.begin(), rows.end(), p,
                                [](UINT32 v, const RCEWrapRow& r) { return v < r.start; }) -
               rows.begin();
    // Rows that started inside the deleted text go; the rest move back.
    size_t j = k;
    while (j < rows.size() && rows[j].start < p + n)
        ++j;
    rows.erase(rows.begin() + k, rows.begin() + j);
    for (size_t q = k; q < rows.size(); ++q)
        rows[q].start -= n;
    if (k < rows.size() && k > 0 && rows[k].start <= rows[k - 1].start)
        rows.erase(rows.begin() + k);
    UINT32 from = k > 0 ? (UINT32)(k - 1) : 0;
    if (from > 0)
        --from;
    RCEFontDC fdc(st);
    if (!fdc.dc())
        return false;
    // A stored row starting exactly at p is followed by changed text: resume only beyond it.
    return RCERewrap(fdc.dc(), st, RCEWrapWidth(st), from, p + 1, report);
}
