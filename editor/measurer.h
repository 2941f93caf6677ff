// Measuring with the per-call caches the editor needs to stay fast on long texts: the space and
// tab widths and the advance widths of printable ASCII are read once per measuring pass.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

class RCEMeasurer
{
public:
    RCEMeasurer(HDC dc, const RCE_STATE* st) : m_dc(dc), m_st(st) {}

    HDC dc() const { return m_dc; }
    // Larger of the middle dot's and the space's extent; 0 on failure.
    int SpaceWidth(bool* equal = nullptr);
    // GetCharWidthW of the space; 0 on failure.
    int SpaceCharWidth();
    // Width of the tab starting at x; 0 when the tab stop interval is below 1.
    int TabWidth(int x);
    bool Cell(int x, const WCHAR* text, UINT32 count, int* width, UINT32* chars);
    // Extent of a run holding neither tab nor space.
    bool Run(const WCHAR* text, UINT32 count, SIZE* size);
    bool Text(int x, const WCHAR* text, UINT32 count, SIZE* size, int limit, UINT32* fitted);

private:
    bool Ascii();

    HDC m_dc;
    const RCE_STATE* m_st;
    int m_spaceWidth = -1;
    bool m_spaceEqual = false;
    int m_spaceCharWidth = -1;
    int m_ascii[128] = {};
    int m_asciiState = 0; // 0 not read, 1 read, -1 unavailable
};
