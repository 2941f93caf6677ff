// One step of strict UTF-8 decoding, shared by the script reader's encoding survey and its
// decoder so that what the survey counts as bad bytes is exactly what the decoder marks.
//
// Strict means: no overlong forms (C0, C1, E0 80-9F, F0 80-8F), no encoded surrogates
// (ED A0-BF) and nothing beyond U+10FFFF (F4 90 and up, F5-FF). A byte that starts no
// character, or a sequence cut short, is one bad byte; the bytes after it are looked at anew,
// so a stray byte never swallows the valid character that follows it.
#pragma once

#include "framework/core.h"

#include <cstddef>

struct Utf8Step
{
    unsigned length; // bytes consumed; 0: the sequence may go on past the bytes given
    char32_t code;   // the character when valid
    bool valid;
};

// The step at p with n bytes available (n >= 1). bEnd: no byte follows the n given, so a
// sequence cut short there is bad rather than unfinished.
inline Utf8Step StepUtf8(const BYTE* p, size_t n, bool bEnd)
{
    const BYTE lead = p[0];
    if (lead < 0x80)
        return {1, lead, true};
    unsigned need = 0;
    char32_t code = 0;
    BYTE lo = 0x80, hi = 0xBF; // the range of the first continuation byte
    if (lead >= 0xC2 && lead <= 0xDF)
    {
        need = 1;
        code = lead & 0x1F;
    }
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        need = 2;
        code = lead & 0x0F;
        if (lead == 0xE0)
            lo = 0xA0;
        else if (lead == 0xED)
            hi = 0x9F;
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        need = 3;
        code = lead & 0x07;
        if (lead == 0xF0)
            lo = 0x90;
        else if (lead == 0xF4)
            hi = 0x8F;
    }
    else
        return {1, 0, false};
    for (unsigned k = 1; k <= need; ++k)
    {
        if (k >= n)
            return bEnd ? Utf8Step{1, 0, false} : Utf8Step{0, 0, false};
        const BYTE next = p[k];
        if (next < lo || next > hi)
            return {1, 0, false};
        lo = 0x80;
        hi = 0xBF;
        code = (code << 6) | (next & 0x3F);
    }
    return {need + 1, code, true};
}
