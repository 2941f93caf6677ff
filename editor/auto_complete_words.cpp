#include "editor/auto_complete_words.h"

#include <algorithm>

#include "editor/colour_rules.h"
#include "editor/ident_char.h"
#include "editor/text_buffer.h"

bool RCEWordLess::operator()(const std::wstring& a, const std::wstring& b) const
{
    return CompareStringW(LOCALE_SYSTEM_DEFAULT, 0, a.c_str(), (int)a.size(), b.c_str(),
                          (int)b.size()) == CSTR_LESS_THAN;
}

bool RCEWordHasPrefix(const WCHAR* prefix, UINT32 prefixLength, const WCHAR* word,
                      UINT32 wordLength)
{
    if (prefixLength == 0)
        return true;
    if (wordLength <= prefixLength)
        return false;
    return CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, word, (int)prefixLength, prefix,
                          (int)prefixLength) == CSTR_EQUAL;
}

void RCECollectTextWords(const RCE_STATE* st, const WCHAR* prefix, UINT32 prefixLength,
                         RCEWordSet* words)
{
    const WCHAR* text = st->text;
    UINT32 length = st->length;
    if (!text || length == 0)
        return;
    const tagRCERangeColor* rules = st->rangeRules;
    UINT32 ranges = rules ? std::min<UINT32>(st->rangeCount, RCE_MAX_RANGE_RULES) : 0;

    UINT32 lineStart = 0;
    int lineLength = 0, firstNonBlank = 0;
    auto noteLine = [&](UINT32 start) {
        lineStart = start;
        RCERowPos rec{0, start, start, 1};
        RCELineEndForward(st, &rec);
        lineLength = (int)RCEVisibleLength(st, &rec);
        firstNonBlank = (int)RCEFirstNonBlank(text + start, 0, (UINT32)lineLength, (UINT32)lineLength);
    };
    noteLine(0);

    INT64 wordStart = -1;
    auto endWord = [&](UINT32 end) {
        if (wordStart < 0)
            return;
        UINT32 s = (UINT32)wordStart;
        wordStart = -1;
        if (text[s] >= L'0' && text[s] <= L'9')
            return;
        if (RCEWordHasPrefix(prefix, prefixLength, text + s, end - s))
            words->insert(std::wstring(text + s, end - s));
    };

    int open = 0;
    UINT32 i = 0;
    while (i < length) {
        if (i > 0 && text[i - 1] == L'\n' && i != lineStart)
            noteLine(i);
        int column = (int)(i - lineStart);
        if (open == 0) {
            int k = ranges ? RCEFindRangeBegin(rules, ranges, text + lineStart, lineLength, column,
                                               firstNonBlank)
                           : 0;
            if (k) {
                endWord(i);
                open = k;
                i += rules[k - 1].beginLength;
                continue;
            }
            if (RCEIsIdent(text[i])) {
                if (wordStart < 0)
                    wordStart = i;
            } else {
                endWord(i);
            }
            ++i;
            continue;
        }
        const tagRCERangeColor& r = rules[open - 1];
        if (RCEIsRangeEndAt(r, text + lineStart, lineLength, column)) {
            open = 0;
            i += r.endLength ? r.endLength : 1;
            continue;
        }
        ++i;
    }
    endWord(length);
}
