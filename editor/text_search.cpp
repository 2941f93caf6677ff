#include "editor/text_search.h"

#include "editor/colour_rules.h"
#include "editor/ident_char.h"

bool RCEFindText(const RCE_STATE* st, const WCHAR* pattern, UINT32 patternLength, UINT32 flags,
                 UINT32 from, UINT32 limit, UINT32* position)
{
    const WCHAR* text = st->text;
    UINT32 length = st->length;
    if (!text || !pattern || patternLength == 0 || patternLength > length)
        return false;
    bool down = (flags & RCEFT_DOWN) != 0;
    if (down ? from > limit : from < limit)
        return false;
    // Never compare past the text end, whatever limit the caller gives.
    UINT32 last = length - patternLength;
    bool withCase = (flags & RCEFT_MATCHCASE) != 0;
    bool whole = (flags & RCEFT_WHOLEWORD) != 0;
    auto matchesAt = [&](UINT32 i) {
        if (i > last || !RCETextEqual(text + i, pattern, patternLength, withCase))
            return false;
        if (whole)
        {
            if (i > 0 && RCEIsIdent(text[i - 1]))
                return false;
            if (i + patternLength < length && RCEIsIdent(text[i + patternLength]))
                return false;
        }
        return true;
    };
    if (down)
    {
        if (limit > last)
            limit = last;
        for (UINT32 i = from; i <= limit; ++i)
        {
            if (matchesAt(i))
            {
                *position = i;
                return true;
            }
        }
    }
    else
    {
        if (from > last)
            from = last;
        for (INT64 i = from; i >= (INT64)limit; --i)
        {
            if (matchesAt((UINT32)i))
            {
                *position = (UINT32)i;
                return true;
            }
        }
    }
    return false;
}
