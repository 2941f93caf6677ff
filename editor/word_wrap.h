// Word wrap: logical lines cut into rows that fit the wrap width, kept in the state's wrap-row
// table and updated incrementally after each edit. A word that begins a row may be split between
// characters; a word elsewhere moves to the next row whole.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

// What a rebuild changed, for repainting.
struct RCEWrapReport
{
    UINT32 firstRow;    // first row rebuilt
    UINT32 rowsBefore;  // rows in the table before
    UINT32 rowsRemoved; // stored rows replaced
    UINT32 rowsAdded;   // rows built in their place
};

// The wrap width in use: |wrapWidth|, or the client width while no width was stored.
int RCEWrapWidth(const RCE_STATE* st);

// Empties the table and builds all rows (states valid-up-to 0). Only while RCEO_WORDWRAP is set.
bool RCEWrapAll(RCE_STATE* st, RCEWrapReport* report = nullptr);
// After n characters were inserted at p.
bool RCEWrapInsert(RCE_STATE* st, UINT32 p, UINT32 n, RCEWrapReport* report = nullptr);
// After n characters were deleted at p.
bool RCEWrapDelete(RCE_STATE* st, UINT32 p, UINT32 n, RCEWrapReport* report = nullptr);
// The row builder: rebuilds rows from row fromRow until they coincide again with the stored rows
// at or after editEnd, or the text ends.
bool RCERewrap(HDC dc, RCE_STATE* st, int width, UINT32 fromRow, UINT32 editEnd,
               RCEWrapReport* report);
