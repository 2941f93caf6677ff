#include "util/utility.h"

bool IsIdentChar(wchar_t ch)
{
    return ch == L'_' || IsCharAlphaNumericW(ch);
}

bool IsIdentifierChar(wchar_t ch)
{
    return IsIdentChar(ch);
}

bool IsIdentifier(LPCWSTR text)
{
    if (text == nullptr)
        return true;
    for (; *text; ++text)
    {
        if (!IsIdentifierChar(*text))
            return false;
    }
    return true;
}

int CompareInt(int a, int b)
{
    return a - b;
}

COLORREF BlendColors(COLORREF c1, COLORREF c2, int weight)
{
    auto mix = [weight](int a, int b) { return (a * weight + b * (255 - weight)) / 255; };
    return RGB(mix(GetRValue(c1), GetRValue(c2)), mix(GetGValue(c1), GetGValue(c2)),
               mix(GetBValue(c1), GetBValue(c2)));
}
