#include "editor/markup_tokenizer.h"

#include "editor/colour_rules.h"
#include "editor/ident_char.h"

namespace {

struct MarkupStyle
{
    COLORREF tagColour = 0;
    COLORREF commentColour = 0;
    const tagRCEWordColor* words = nullptr;
    UINT32 wordCount = 0;
    const tagRCERegExpColor* expressions = nullptr;
    UINT32 expressionCount = 0;
    const tagRCERangeColor* attributeRanges = nullptr;
    UINT32 attributeRangeCount = 0;
    const tagRCERangeColor* contentRanges = nullptr;
    UINT32 contentRangeCount = 0;
};

MarkupStyle g_markup;

} // namespace

void SetMarkupSyntaxStyle(COLORREF tagColour, COLORREF commentColour, const tagRCEWordColor* words,
                          UINT32 wordCount, const tagRCERegExpColor* expressions,
                          UINT32 expressionCount, const tagRCERangeColor* attributeRanges,
                          UINT32 attributeRangeCount, const tagRCERangeColor* contentRanges,
                          UINT32 contentRangeCount)
{
    g_markup = MarkupStyle{tagColour,     commentColour,    words,           wordCount,
                           expressions,   expressionCount,  attributeRanges, attributeRangeCount,
                           contentRanges, contentRangeCount};
}

bool IsMarkupNameChar(WCHAR ch)
{
    return RCEIsIdent(ch) || ch == L'-' || ch == L':' || ch == L'.';
}

void MarkupSyntaxLexer(const RCE_STATE*, BYTE inState, const WCHAR* text, int length, int pos,
                       int firstNonBlank, COLORREF* colour, int* colouredLen, int* tokenLen,
                       BYTE* outState)
{
    const COLORREF plain = GetSysColor(COLOR_WINDOWTEXT);
    int r = length - pos;
    auto token = [&](int n, COLORREF c, BYTE state) {
        if (n < 1)
            n = 1;
        *tokenLen = n;
        *colouredLen = n;
        *colour = c;
        *outState = state;
    };
    if (r <= 0)
    {
        token(1, plain, inState);
        return;
    }
    const WCHAR* p = text + pos;
    switch (inState & RCE_MARKUP_KIND_MASK)
    {
    case RCE_MARKUP_CONTENT: {
        if (p[0] != L'<')
        {
            int n = 1;
            while (n < r && p[n] != L'<')
                ++n;
            token(n, plain, RCE_MARKUP_CONTENT);
        }
        else if (r >= 4 && wmemcmp(p, L"<!--", 4) == 0)
        {
            token(4, g_markup.commentColour, RCE_MARKUP_COMMENT);
        }
        else
        {
            token(1, g_markup.tagColour, RCE_MARKUP_TAG);
        }
        return;
    }
    case RCE_MARKUP_TAG: {
        int n = 0;
        if (!IsMarkupNameChar(p[0]))
        {
            while (n < r && !IsMarkupNameChar(p[n]))
                ++n;
            token(n, plain, RCE_MARKUP_TAG);
        }
        else
        {
            while (n < r && IsMarkupNameChar(p[n]))
                ++n;
            token(n, g_markup.tagColour, RCE_MARKUP_ATTRIBUTES);
        }
        return;
    }
    case RCE_MARKUP_ATTRIBUTES: {
        UINT32 ranges = g_markup.attributeRanges ? g_markup.attributeRangeCount : 0;
        if (ranges > RCE_MARKUP_MAX_RANGES)
            ranges = RCE_MARKUP_MAX_RANGES;
        BYTE open = inState & RCE_MARKUP_RANGE_MASK;
        if (open > ranges)
            open = 0;
        if (open == 0 && g_markup.expressions && g_markup.expressionCount > 0)
        {
            bool afterNonIdent = pos == 0 || !RCEIsIdent(text[pos - 1]);
            int coloured = 0, consumed = 0;
            COLORREF c = 0;
            if (RCEMatchRegExpColor(g_markup.expressions, g_markup.expressionCount, p, r,
                                    afterNonIdent, pos == firstNonBlank, &c, &coloured, &consumed))
            {
                *colour = c;
                *colouredLen = coloured;
                *tokenLen = consumed < 1 ? 1 : consumed;
                *outState = RCE_MARKUP_ATTRIBUTES;
                return;
            }
        }
        if (ranges > 0)
        {
            COLORREF c = 0;
            BYTE next = 0;
            int end = 0;
            if (RCEMatchRangeColor(g_markup.attributeRanges, ranges, open, text, length, pos,
                                   firstNonBlank, &c, &next, &end) &&
                end > pos)
            {
                token(end - pos, c, (BYTE)(RCE_MARKUP_ATTRIBUTES | (next & RCE_MARKUP_RANGE_MASK)));
                return;
            }
        }
        if (p[0] != L'>')
            token(1, plain, RCE_MARKUP_ATTRIBUTES);
        else
            token(1, g_markup.tagColour, RCE_MARKUP_CONTENT);
        return;
    }
    default: { // comment
        if (r < 3)
        {
            token(1, g_markup.commentColour, inState);
            return;
        }
        int n = 0;
        while (n < r && p[n] != L'>')
            ++n;
        if (n >= r)
        {
            token(r, g_markup.commentColour, inState);
            return;
        }
        // ">" at index n of the remaining text: "-->" closes the comment.
        bool closes = n >= 2 && p[n - 1] == L'-' && p[n - 2] == L'-';
        token(n + 1, g_markup.commentColour, closes ? RCE_MARKUP_CONTENT : inState);
        return;
    }
    }
}

void CALLBACK MarkupSyntaxCallback(const RCE_STATE* state, BYTE inState, const WCHAR* text,
                                   int length, int pos, int firstNonBlank, COLORREF* colour,
                                   int* colouredLen, int* tokenLen, BYTE* outState)
{
    MarkupSyntaxLexer(state, inState, text, length, pos, firstNonBlank, colour, colouredLen,
                      tokenLen, outState);
}
