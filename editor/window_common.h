// Small helpers shared by the window half of the colour editor: mode tests and geometry.
#pragma once

#include <windows.h>

#include "editor/rce_messages.h"
#include "editor/rce_state.h"
#include "editor/ident_char.h"
#include "editor/line_index.h"
#include "editor/text_buffer.h"

inline bool RCEWrapOn(const RCE_STATE* s)
{
    return (s->options & RCEO_WORDWRAP) != 0;
}
inline int RCERowHeight(const RCE_STATE* s)
{
    return s->metricsValid && s->tm.tmHeight > 0 ? s->tm.tmHeight : 16;
}
inline int RCEColumnWidth(const RCE_STATE* s)
{
    return s->metricsValid && s->tm.tmAveCharWidth > 0 ? s->tm.tmAveCharWidth : 8;
}
inline bool RCEReadOnly(const RCE_STATE* s)
{
    return (GetWindowLongW(s->hwnd, GWL_STYLE) & ES_READONLY) != 0;
}
inline int RCEControlId(const RCE_STATE* s)
{
    return GetDlgCtrlID(s->hwnd);
}
// Pixels the text is shifted left by horizontal scrolling (none while word wrap is on).
inline int RCEShiftX(const RCE_STATE* s)
{
    return RCEWrapOn(s) ? 0 : (int)s->firstVisibleColumn * RCEColumnWidth(s);
}

// Sends a message with the text unlocked, so that the receiver may send messages back to the
// editor; the text is locked again afterwards.
inline LRESULT RCESendUnlocked(RCE_STATE* s, HWND to, UINT msg, WPARAM wp, LPARAM lp)
{
    bool locked = s->text != nullptr;
    if (locked)
    {
        RCEUnlockBuffer(s);
        s->text = nullptr;
    }
    LRESULT r = SendMessageW(to, msg, wp, lp);
    if (locked)
        RCELockBuffer(s);
    return r;
}
