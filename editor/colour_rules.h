// Colour-rule lists (built by the settings store, sent to editor windows by pointer) and the
// matchers the tokenizers use on them.
#pragma once

#include <windows.h>

#include "editor/rce_rules.h"
#include "framework/core.h"

typedef CArray<tagRCEWordColor, tagRCEWordColor&> CRCEWordColorArray;
typedef CArray<tagRCERangeColor, tagRCERangeColor&> CRCERangeColorArray;
typedef CArray<tagRCERegExpColor, tagRCERegExpColor&> CRCERegExpColorArray;
typedef CArray<tagRCEAutoCompleteWord, tagRCEAutoCompleteWord&> CRCEAutoCompleteWordArray;

// --- List operations (the lists own their text copies, never the compiled expressions; an
// allocation failure throws the framework's memory exception) ----------------------------------

void RCEInitWordColors(CRCEWordColorArray& list);
void RCEInitRangeColors(CRCERangeColorArray& list);
void RCEInitRegExpColors(CRCERegExpColorArray& list);
void RCEInitAutoCompleteWords(CRCEAutoCompleteWordArray& list);

// Element count (0 when the stored size is negative) and first element (null when empty): what
// is sent to an editor window.
template <class T>
UINT32 RCEGetCount(const CArray<T, T&>& list)
{
    return list.GetSize() > 0 ? (UINT32)list.GetSize() : 0;
}
template <class T>
T* RCEGetData(CArray<T, T&>& list)
{
    return list.GetSize() > 0 ? list.GetData() : nullptr;
}

int RCEAddWordColor(CRCEWordColorArray& list, COLORREF colour, LPCWSTR word, UINT32 flags);
int RCESetWordColorAt(CRCEWordColorArray& list, INT_PTR index, COLORREF colour);
int RCESetAllWordColors(CRCEWordColorArray& list, COLORREF colour);
void RCERemoveAllWordColors(CRCEWordColorArray& list);
void RCEFreeWordColors(CRCEWordColorArray& list);

int RCEAddRangeColor(CRCERangeColorArray& list, COLORREF colour, LPCWSTR begin, UINT32 beginFlags,
                     LPCWSTR end, UINT32 endFlags, WCHAR escape);
int RCESetRangeColorAt(CRCERangeColorArray& list, INT_PTR index, COLORREF colour);
void RCERemoveAllRangeColors(CRCERangeColorArray& list);
void RCEFreeRangeColors(CRCERangeColorArray& list);

int RCEAddRegExpColor(CRCERegExpColorArray& list, COLORREF colour, CRegExp* regexp, UINT32 flags);
int RCESetRegExpColorAt(CRCERegExpColorArray& list, INT_PTR index, COLORREF colour);
void RCERemoveAllRegExpColors(CRCERegExpColorArray& list);
void RCEFreeRegExpColors(CRCERegExpColorArray& list);

int RCEAddAutoCompleteWord(CRCEAutoCompleteWordArray& list, LPCWSTR word);
void RCEClearAutoCompleteWords(CRCEAutoCompleteWordArray& list);
void RCEFreeAutoCompleteWords(CRCEAutoCompleteWordArray& list);

// The item of a comma-separated list at position, trimmed of white space (an empty item leaves
// item unchanged). Returns the position after the item's comma (text length + 1 after the last
// item), or -1 when position is negative or not below the text length.
int RCENextListItem(LPCWSTR text, int position, CString& item);
int RCEAddWordColorList(CRCEWordColorArray& list, COLORREF colour, LPCWSTR text, UINT32 flags);
int RCEAddAutoCompleteWordList(CRCEAutoCompleteWordArray& list, LPCWSTR text);

// --- Matchers -----------------------------------------------------------------------------------

// Equal texts of equal length, ignoring case unless withCase.
bool RCETextEqual(const WCHAR* a, const WCHAR* b, UINT32 length, bool withCase);

// The first rule whose word equals the whole token.
bool RCEFindWordColor(const tagRCEWordColor* rules, UINT32 count, const WCHAR* token, UINT32 length,
                      COLORREF* colour);
// The first regexp rule that matches anchored at text (the remaining length from there) with a
// coloured length above 0. tokenLength receives the consumed length.
bool RCEMatchRegExpColor(const tagRCERegExpColor* rules, UINT32 count, const WCHAR* text,
                         int length, bool afterNonIdent, bool atFirstNonBlank, COLORREF* colour,
                         int* colouredLength, int* tokenLength);
bool RCEIsLineFeedEnd(const tagRCERangeColor& rule);
bool RCEMatchRangeBegin(const tagRCERangeColor& rule, const WCHAR* text, int length, int position,
                        int firstNonBlank);
// Which characters may start a range begin, so walks can skip the rule scan elsewhere.
class RCERangeStarts
{
public:
    RCERangeStarts(const tagRCERangeColor* rules, UINT32 count);
    bool Maybe(WCHAR ch) const { return m_all || (ch < 128 ? m_ascii[ch] : m_nonAscii); }

private:
    bool m_ascii[128] = {};
    bool m_nonAscii = false; // a non-ASCII text character might match some begin
    bool m_all = false;      // a begin starts with a character the table cannot decide
};

// The 1-based number of the first rule whose begin matches at position; 0 for none.
int RCEFindRangeBegin(const tagRCERangeColor* rules, UINT32 count, const WCHAR* text, int length,
                      int position, int firstNonBlank);
// The index just after the range's end searched from `from`; 0 when not found.
int RCEFindRangeEnd(const tagRCERangeColor& rule, const WCHAR* text, int length, int from);
bool RCEIsRangeEndAt(const tagRCERangeColor& rule, const WCHAR* text, int length, int position);
// An open range (state byte 1..count) continues, or one begins at position. end = the index
// after its end (out state 0) or the line length (out state = the rule number).
bool RCEMatchRangeColor(const tagRCERangeColor* rules, UINT32 count, BYTE state, const WCHAR* text,
                        int length, int position, int firstNonBlank, COLORREF* colour,
                        BYTE* outState, int* end);
