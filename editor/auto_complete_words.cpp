#include "editor/auto_complete_words.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "editor/colour_rules.h"
#include "editor/ident_char.h"
#include "editor/text_buffer.h"

namespace {

// Inserts the words in the set's order: sorted first by their system sort keys (which order as
// CompareStringW does), so each insertion at the end of the set costs one comparison. Should a
// key disagree with the comparison, the set still places the word right, only more slowly.
void InsertOrdered(const std::vector<std::wstring_view>& found, RCEWordSet* words)
{
    std::vector<std::pair<std::string, size_t>> keys;
    keys.reserve(found.size());
    for (size_t i = 0; i < found.size(); ++i)
    {
        const std::wstring_view& w = found[i];
        int bytes =
            LCMapStringW(LOCALE_SYSTEM_DEFAULT, LCMAP_SORTKEY, w.data(), (int)w.size(), nullptr, 0);
        std::string key(bytes > 0 ? (size_t)bytes : 0, '\0');
        if (bytes > 0)
            LCMapStringW(LOCALE_SYSTEM_DEFAULT, LCMAP_SORTKEY, w.data(), (int)w.size(),
                         (LPWSTR)key.data(), bytes);
        keys.emplace_back(std::move(key), i);
    }
    std::sort(keys.begin(), keys.end());
    for (const auto& k : keys)
        words->insert(words->end(), std::wstring(found[k.second]));
}

} // namespace

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
    WCHAR a = word[0], b = prefix[0];
    if (a < 128 && b < 128 && (a | 0x20) != (b | 0x20))
        return false; // quick refusal: ASCII characters that differ in more than case
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

    RCERangeStarts starts(rules, ranges);
    UINT32 lineStart = 0;
    int lineLength = 0, firstNonBlank = 0;
    auto noteLine = [&](UINT32 start) {
        lineStart = start;
        RCERowPos rec{0, start, start, 1};
        RCELineEndForward(st, &rec);
        lineLength = (int)RCEVisibleLength(st, &rec);
        firstNonBlank =
            (int)RCEFirstNonBlank(text + start, 0, (UINT32)lineLength, (UINT32)lineLength);
    };
    noteLine(0);

    // Exact duplicates are dropped cheaply first; the ordered set then sees each spelling once.
    std::unordered_set<std::wstring_view> seen;
    std::vector<std::wstring_view> found;
    INT64 wordStart = -1;
    auto endWord = [&](UINT32 end) {
        if (wordStart < 0)
            return;
        UINT32 s = (UINT32)wordStart;
        wordStart = -1;
        if (text[s] >= L'0' && text[s] <= L'9')
            return;
        std::wstring_view word(text + s, end - s);
        if (RCEWordHasPrefix(prefix, prefixLength, text + s, end - s) && seen.insert(word).second)
            found.push_back(word);
    };

    int open = 0;
    UINT32 i = 0;
    while (i < length)
    {
        if (i > 0 && text[i - 1] == L'\n' && i != lineStart)
            noteLine(i);
        int column = (int)(i - lineStart);
        if (open == 0)
        {
            int k = ranges && starts.Maybe(text[i])
                        ? RCEFindRangeBegin(rules, ranges, text + lineStart, lineLength, column,
                                            firstNonBlank)
                        : 0;
            if (k)
            {
                endWord(i);
                open = k;
                i += rules[k - 1].beginLength;
                continue;
            }
            if (RCEIsIdent(text[i]))
            {
                if (wordStart < 0)
                    wordStart = i;
            }
            else
            {
                endWord(i);
            }
            ++i;
            continue;
        }
        const tagRCERangeColor& r = rules[open - 1];
        if (RCEIsRangeEndAt(r, text + lineStart, lineLength, column))
        {
            open = 0;
            i += r.endLength ? r.endLength : 1;
            continue;
        }
        ++i;
    }
    endWord(length);
    InsertOrdered(found, words);
}
