#include "editor/colour_rules.h"

#include <new>

#include "editor/ident_char.h"
#include "editor/regexp.h"

namespace {

WCHAR* CopyText(LPCWSTR text, UINT32* length)
{
    size_t n = text ? wcslen(text) : 0;
    WCHAR* copy = new (std::nothrow) WCHAR[n + 1];
    if (!copy)
        AfxThrowMemoryException();
    if (n)
        wmemcpy(copy, text, n);
    copy[n] = 0;
    *length = (UINT32)n;
    return copy;
}

bool IsBlank(WCHAR ch)
{
    return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n';
}

} // namespace

// --- Lists --------------------------------------------------------------------------------------

void RCEInitWordColors(CRCEWordColorArray& list)
{
    list.RemoveAll();
}
void RCEInitRangeColors(CRCERangeColorArray& list)
{
    list.RemoveAll();
}
void RCEInitRegExpColors(CRCERegExpColorArray& list)
{
    list.RemoveAll();
}
void RCEInitAutoCompleteWords(CRCEAutoCompleteWordArray& list)
{
    list.RemoveAll();
}

int RCEAddWordColor(CRCEWordColorArray& list, COLORREF colour, LPCWSTR word, UINT32 flags)
{
    tagRCEWordColor rule{};
    rule.color = colour;
    rule.word = CopyText(word, &rule.length);
    rule.flags = flags;
    try
    {
        list.Add(rule);
    }
    catch (...)
    {
        delete[] rule.word;
        throw;
    }
    return 1;
}

int RCESetWordColorAt(CRCEWordColorArray& list, INT_PTR index, COLORREF colour)
{
    if (index < 0 || index >= list.GetSize())
        return 0;
    list[index].color = colour;
    return 1;
}

int RCESetAllWordColors(CRCEWordColorArray& list, COLORREF colour)
{
    int ok = 1;
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        if (!RCESetWordColorAt(list, i, colour))
            ok = 0;
    return ok;
}

void RCERemoveAllWordColors(CRCEWordColorArray& list)
{
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        delete[] list[i].word;
    list.RemoveAll();
}

void RCEFreeWordColors(CRCEWordColorArray& list)
{
    RCERemoveAllWordColors(list);
    list.FreeExtra();
}

int RCEAddRangeColor(CRCERangeColorArray& list, COLORREF colour, LPCWSTR begin, UINT32 beginFlags,
                     LPCWSTR end, UINT32 endFlags, WCHAR escape)
{
    tagRCERangeColor rule{};
    rule.color = colour;
    rule.begin = CopyText(begin, &rule.beginLength);
    rule.beginFlags = beginFlags;
    try
    {
        rule.end = CopyText(end, &rule.endLength);
    }
    catch (...)
    {
        delete[] rule.begin;
        throw;
    }
    rule.endFlags = endFlags;
    rule.escape = escape;
    try
    {
        list.Add(rule);
    }
    catch (...)
    {
        delete[] rule.begin;
        delete[] rule.end;
        throw;
    }
    return 1;
}

int RCESetRangeColorAt(CRCERangeColorArray& list, INT_PTR index, COLORREF colour)
{
    if (index < 0 || index >= list.GetSize())
        return 0;
    list[index].color = colour;
    return 1;
}

void RCERemoveAllRangeColors(CRCERangeColorArray& list)
{
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
    {
        delete[] list[i].begin;
        delete[] list[i].end;
    }
    list.RemoveAll();
}

void RCEFreeRangeColors(CRCERangeColorArray& list)
{
    RCERemoveAllRangeColors(list);
    list.FreeExtra();
}

int RCEAddRegExpColor(CRCERegExpColorArray& list, COLORREF colour, CRegExp* regexp, UINT32 flags)
{
    tagRCERegExpColor rule{};
    rule.color = colour;
    rule.regexp = regexp;
    rule.flags = flags;
    list.Add(rule);
    return 1;
}

int RCESetRegExpColorAt(CRCERegExpColorArray& list, INT_PTR index, COLORREF colour)
{
    if (index < 0 || index >= list.GetSize())
        return 0;
    list[index].color = colour;
    return 1;
}

void RCERemoveAllRegExpColors(CRCERegExpColorArray& list)
{
    list.RemoveAll();
}

void RCEFreeRegExpColors(CRCERegExpColorArray& list)
{
    list.RemoveAll();
    list.FreeExtra();
}

int RCEAddAutoCompleteWord(CRCEAutoCompleteWordArray& list, LPCWSTR word)
{
    tagRCEAutoCompleteWord entry{};
    entry.word = CopyText(word, &entry.length);
    try
    {
        list.Add(entry);
    }
    catch (...)
    {
        delete[] entry.word;
        throw;
    }
    return 1;
}

void RCEClearAutoCompleteWords(CRCEAutoCompleteWordArray& list)
{
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        delete[] list[i].word;
    list.RemoveAll();
}

void RCEFreeAutoCompleteWords(CRCEAutoCompleteWordArray& list)
{
    RCEClearAutoCompleteWords(list);
    list.FreeExtra();
}

int RCENextListItem(LPCWSTR text, int position, CString& item)
{
    if (!text)
        return -1;
    int length = (int)wcslen(text);
    if (position < 0 || position >= length)
        return -1;
    int end = position;
    while (end < length && text[end] != L',')
        ++end;
    int a = position, b = end;
    while (a < b && IsBlank(text[a]))
        ++a;
    while (b > a && IsBlank(text[b - 1]))
        --b;
    if (b > a)
        item = CString(text + a, b - a);
    return end + 1;
}

int RCEAddWordColorList(CRCEWordColorArray& list, COLORREF colour, LPCWSTR text, UINT32 flags)
{
    int position = 0;
    for (;;)
    {
        CString item;
        position = RCENextListItem(text, position, item);
        if (position < 0)
            return 1;
        if (!item.IsEmpty() && !RCEAddWordColor(list, colour, item, flags))
            return 0;
    }
}

int RCEAddAutoCompleteWordList(CRCEAutoCompleteWordArray& list, LPCWSTR text)
{
    int position = 0;
    for (;;)
    {
        CString item;
        position = RCENextListItem(text, position, item);
        if (position < 0)
            return 1;
        if (!item.IsEmpty() && !RCEAddAutoCompleteWord(list, item))
            return 0;
    }
}

// --- Matchers -----------------------------------------------------------------------------------

bool RCETextEqual(const WCHAR* a, const WCHAR* b, UINT32 length, bool withCase)
{
    if (length == 0)
        return true;
    if (withCase)
        return wmemcmp(a, b, length) == 0;
    // Quick refusal on ASCII letters that differ in more than case.
    WCHAR x = a[0], y = b[0];
    if (x < 128 && y < 128 && (x | 0x20) != (y | 0x20))
        return false;
    return CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a, (int)length, b, (int)length) ==
           CSTR_EQUAL;
}

bool RCEFindWordColor(const tagRCEWordColor* rules, UINT32 count, const WCHAR* token, UINT32 length,
                      COLORREF* colour)
{
    if (!rules)
        return false;
    for (UINT32 i = 0; i < count; ++i)
    {
        const tagRCEWordColor& r = rules[i];
        if (r.length == length && r.word &&
            RCETextEqual(r.word, token, length, (r.flags & RCEWF_MATCHCASE) != 0))
        {
            *colour = r.color;
            return true;
        }
    }
    return false;
}

bool RCEMatchRegExpColor(const tagRCERegExpColor* rules, UINT32 count, const WCHAR* text,
                         int length, bool afterNonIdent, bool atFirstNonBlank, COLORREF* colour,
                         int* colouredLength, int* tokenLength)
{
    if (!rules || !text || length <= 0)
        return false;
    for (UINT32 i = 0; i < count; ++i)
    {
        const tagRCERegExpColor& r = rules[i];
        if (!r.regexp)
            continue;
        if ((r.flags & RCEXF_FIRSTNONBLANK) && !atFirstNonBlank)
            continue;
        if ((r.flags & RCEXF_AFTERNONIDENT) && !afterNonIdent)
            continue;
        uint64_t consumed = 0;
        int64_t reported = CRegExp::Match(r.regexp, text, (uint64_t)length, &consumed);
        if (reported <= 0)
            continue;
        if ((r.flags & RCEXF_ENDNONIDENT) && reported < length && RCEIsIdent(text[reported]))
            continue;
        *colour = r.color;
        *colouredLength = (int)reported;
        *tokenLength = (int)(consumed > (uint64_t)reported ? consumed : (uint64_t)reported);
        return true;
    }
    return false;
}

bool RCEIsLineFeedEnd(const tagRCERangeColor& rule)
{
    return rule.endLength == 1 && rule.end && rule.end[0] == L'\n';
}

bool RCEMatchRangeBegin(const tagRCERangeColor& rule, const WCHAR* text, int length, int position,
                        int firstNonBlank)
{
    if (!rule.begin || rule.beginLength == 0 || position < 0 ||
        (INT64)position + rule.beginLength > length)
        return false;
    if ((rule.beginFlags & RCERF_FIRSTNONBLANK) && position != firstNonBlank)
        return false;
    return RCETextEqual(rule.begin, text + position, rule.beginLength,
                        (rule.beginFlags & RCERF_MATCHCASE) != 0);
}

RCERangeStarts::RCERangeStarts(const tagRCERangeColor* rules, UINT32 count)
{
    if (!rules)
        return;
    if (count > RCE_MAX_RANGE_RULES)
        count = RCE_MAX_RANGE_RULES;
    for (UINT32 i = 0; i < count; ++i)
    {
        const tagRCERangeColor& r = rules[i];
        if (!r.begin || r.beginLength == 0)
            continue;
        WCHAR c = r.begin[0];
        if (c >= 128)
        {
            // Ignoring case, a non-ASCII begin might equal an ASCII character: decide nothing.
            if (!(r.beginFlags & RCERF_MATCHCASE))
                m_all = true;
            m_nonAscii = true;
            continue;
        }
        m_ascii[c] = true;
        if (!(r.beginFlags & RCERF_MATCHCASE))
        {
            m_nonAscii = true; // a case-folded non-ASCII character might equal it
            if (c >= L'a' && c <= L'z')
                m_ascii[c - 32] = true;
            else if (c >= L'A' && c <= L'Z')
                m_ascii[c + 32] = true;
        }
    }
}

int RCEFindRangeBegin(const tagRCERangeColor* rules, UINT32 count, const WCHAR* text, int length,
                      int position, int firstNonBlank)
{
    if (!rules)
        return 0;
    if (count > RCE_MAX_RANGE_RULES)
        count = RCE_MAX_RANGE_RULES;
    for (UINT32 i = 0; i < count; ++i)
        if (RCEMatchRangeBegin(rules[i], text, length, position, firstNonBlank))
            return (int)i + 1;
    return 0;
}

int RCEFindRangeEnd(const tagRCERangeColor& rule, const WCHAR* text, int length, int from)
{
    if (RCEIsLineFeedEnd(rule))
    {
        if (rule.escape && length > 0 && text[length - 1] == rule.escape)
            return 0;
        return length;
    }
    if (!rule.end || rule.endLength == 0)
        return 0;
    bool withCase = (rule.endFlags & RCERF_MATCHCASE) != 0;
    for (int i = from < 0 ? 0 : from; i < length;)
    {
        if (rule.escape && text[i] == rule.escape)
        {
            i += 2;
            continue;
        }
        if ((INT64)i + rule.endLength <= length &&
            RCETextEqual(rule.end, text + i, rule.endLength, withCase))
            return i + (int)rule.endLength;
        ++i;
    }
    return 0;
}

bool RCEIsRangeEndAt(const tagRCERangeColor& rule, const WCHAR* text, int length, int position)
{
    if (rule.escape && position > 0 && text[position - 1] == rule.escape)
        return false;
    if (RCEIsLineFeedEnd(rule))
        return position == length;
    if (!rule.end || rule.endLength == 0 || position < 0 ||
        (INT64)position + rule.endLength > length)
        return false;
    return RCETextEqual(rule.end, text + position, rule.endLength,
                        (rule.endFlags & RCERF_MATCHCASE) != 0);
}

bool RCEMatchRangeColor(const tagRCERangeColor* rules, UINT32 count, BYTE state, const WCHAR* text,
                        int length, int position, int firstNonBlank, COLORREF* colour,
                        BYTE* outState, int* end)
{
    if (!rules || count == 0)
        return false;
    if (count > RCE_MAX_RANGE_RULES)
        count = RCE_MAX_RANGE_RULES;
    int rule = 0;
    int from = position;
    if (state >= 1 && state <= count)
    {
        rule = state;
    }
    else
    {
        rule = RCEFindRangeBegin(rules, count, text, length, position, firstNonBlank);
        if (!rule)
            return false;
        from = position + (int)rules[rule - 1].beginLength;
    }
    const tagRCERangeColor& r = rules[rule - 1];
    int found = RCEFindRangeEnd(r, text, length, from);
    if (found > 0)
    {
        *end = found;
        *outState = 0;
    }
    else
    {
        *end = length;
        *outState = (BYTE)rule;
    }
    *colour = r.color;
    return true;
}
