// One cell value of the grid: its text, a marker kind for the special values (NULL, no total,
// empty, a read failure, an unknown type) and whether the value was cut short when read.
#pragma once

#include "framework/core.h"

// Marker kinds of a cell value.
enum GridValueKind : UINT
{
    kGridValue = 0,     // an ordinary value
    kGridNull = 1,      // "<<NULL>>"
    kGridNoTotal = 2,   // "<<NO TOTAL>>": the driver gave no total length
    kGridEmpty = 3,     // "<<EMPTY>>": a value of length 0
    kGridException = 4, // "<<EXCEPTION>>": reading the value failed
    kGridUnknown = 5,   // "<<UNKNOWN>>": the column has no C type
};

struct CGridItem
{
    CString m_strText;
    UINT m_nKind = kGridValue;
    BYTE m_bTruncated = 0;

    CGridItem() = default;
    CGridItem(LPCWSTR text, UINT kind, BYTE truncated = 0)
        : m_strText(text), m_nKind(kind), m_bTruncated(truncated)
    {}

    void Clear()
    {
        m_strText.Empty();
        m_nKind = kGridValue;
        m_bTruncated = 0;
    }
};

// The marker text of a kind: "" for 0, "<<NULL>>" for 1 ... "<<UNKNOWN>>" for 5; any other kind
// is refused with an empty text.
LPCWSTR GetSpecialValueText(UINT kind);
