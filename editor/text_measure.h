// Text measuring of the editor: tabs expand to tab stops in pixels, a space is as wide as the
// middle dot that may mark it, and a character followed by combining marks is one display cell.
// Drives the caret's pixel position, mouse hit-testing, the widest-line width and word wrap.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

// --- Device context and font metrics -----------------------------------------------------------

// The window's DC (or the state's measuring DC) with the editor's font selected.
class RCEFontDC
{
public:
    explicit RCEFontDC(const RCE_STATE* st);
    ~RCEFontDC();
    RCEFontDC(const RCEFontDC&) = delete;
    RCEFontDC& operator=(const RCEFontDC&) = delete;
    HDC dc() const { return m_dc; }

private:
    const RCE_STATE* m_st;
    HDC m_dc = nullptr;
    HGDIOBJ m_old = nullptr;
    bool m_own = false;
};
HDC RCEGetDC(const RCE_STATE* st, HGDIOBJ* oldFont);
void RCEReleaseDC(const RCE_STATE* st, HDC dc, HGDIOBJ oldFont);

// Reads the TEXTMETRICW of the editor's font; stores and returns whether that succeeded.
bool RCEGetMetrics(RCE_STATE* st);
// Stores the font, clears the metrics and reads them again (metrics valid = the result).
bool RCESetFontMetrics(RCE_STATE* st, HFONT font);

// --- Cells and runs ---------------------------------------------------------------------------

// The larger of the extents of the middle dot and the space; equal tells whether they match.
bool RCESpaceWidth(HDC dc, int* width, bool* equal);
// Width of the space character (GetCharWidthW).
int RCESpaceCharWidth(HDC dc);
// The tab that starts at pixel x: T - (x + T) mod T, T = tab size x space character width.
// 0 on failure.
int RCETabWidth(HDC dc, const RCE_STATE* st, int x);
// One display cell at text: its width and the characters it spans.
bool RCEMeasureCell(HDC dc, const RCE_STATE* st, int x, const WCHAR* text, UINT32 count, int* width,
                    UINT32* chars);
// Walks count characters from pixel x in runs (tab, space, or the characters up to the next tab
// or space). With a limit other than 0x7fffffff it stops before the piece that would pass it.
// fitted receives the characters consumed.
bool RCEMeasureText(HDC dc, const RCE_STATE* st, int x, const WCHAR* text, UINT32 count, SIZE* size,
                    int limit, UINT32* fitted);

// Width in pixels of a line's (or row's) visible text.
int RCELineWidth(HDC dc, const RCE_STATE* st, const RCERowPos* rec);

// --- Caret and columns ------------------------------------------------------------------------

// The characters of the row that fit into x pixels (the next cell counts when x is beyond its
// middle), plus virtual columns beyond the line end in virtual space.
UINT32 RCEPixelToColumn(RCE_STATE* st, const RCERowPos* rec, int x);
// Pixel x of the caret from the start of its row.
int RCECaretPixel(RCE_STATE* st);
// How many virtual columns fit beyond the line within the widest line or the client width.
UINT32 RCEMaxVirtualColumns(RCE_STATE* st, const RCERowPos* rec);
// Moves by count display cells (backwards for negative counts); moved receives the characters
// and virtual columns moved over.
bool RCECellStep(RCE_STATE* st, UINT32* index, UINT32* vcol, int count, int* moved);
// Index and virtual column of a column of a row.
void RCEColumnToPos(RCE_STATE* st, UINT32 col, const RCERowPos* rec, UINT32* index, UINT32* vcol);

// Measures all lines (count 0) or count lines from the caret line forwards or backwards; the
// widest width only grows (an empty text sets it to 0). True when it changed: the caller then
// updates the scroll bars.
bool RCEUpdateWidestLine(RCE_STATE* st, UINT32 count, bool forward);

// Client height / font height and client width / average character width; at least 1.
UINT32 RCEVisibleLines(const RCE_STATE* st);
UINT32 RCEVisibleColumns(const RCE_STATE* st);
