// The grid's private clipboard block: one copied row as entries of column name, C type, marker
// kind and value text. Layout (little-endian, no padding, no terminators):
//   u32 version (1), u32 entry count, then per entry: u32 C type, u32 marker kind,
//   u32 name length, name, u32 value length, value.
// The wide format counts UTF-16 units, the 8-bit format bytes of ANSI text. Readers never read
// past the block's size: a block whose entries overrun it is unreadable.
#pragma once

#include "framework/core.h"

#include <vector>

struct CClipEntry
{
    int nCType = 0;
    UINT nKind = 0;
    CString strName;
    CString strValue;
};

// The wide block of the entries.
std::vector<BYTE> WriteClipBlock(const std::vector<CClipEntry>& entries);
// Reads a wide (bUnicode) or 8-bit block of nSize bytes. False for another version, no entries,
// or entries that do not fit the block. Texts end at their first NUL.
bool ReadClipBlock(const void* pBlock, SIZE_T nSize, bool bUnicode,
                   std::vector<CClipEntry>& entries);
// The plain text beside the block: every value followed by a tab.
CString MakeClipText(const std::vector<CClipEntry>& entries);
// Whether a value of C type t may be pasted into a column of C type ct.
bool IsClipTypeCompatible(int ct, int t);
