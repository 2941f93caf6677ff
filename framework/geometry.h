// Points, sizes and rectangles: CPoint, CSize and CRect over the Win32 POINT, SIZE and RECT
// records, so each can be passed wherever the record (or a pointer to it) is expected.
#pragma once

#include <windows.h>

class CSize;
class CRect;

class CPoint : public tagPOINT
{
public:
    CPoint() noexcept
    {
        x = 0;
        y = 0;
    }
    CPoint(int initX, int initY) noexcept
    {
        x = initX;
        y = initY;
    }
    CPoint(POINT initPt) noexcept
    {
        x = initPt.x;
        y = initPt.y;
    }
    CPoint(SIZE initSize) noexcept
    {
        x = initSize.cx;
        y = initSize.cy;
    }
    // From a message's packed coordinates: signed x in the low word, signed y in the high.
    CPoint(LPARAM dwPoint) noexcept
    {
        x = static_cast<short>(LOWORD(dwPoint));
        y = static_cast<short>(HIWORD(dwPoint));
    }

    void Offset(int xOffset, int yOffset) noexcept
    {
        x += xOffset;
        y += yOffset;
    }
    void Offset(POINT point) noexcept
    {
        x += point.x;
        y += point.y;
    }
    void Offset(SIZE size) noexcept
    {
        x += size.cx;
        y += size.cy;
    }
    void SetPoint(int X, int Y) noexcept
    {
        x = X;
        y = Y;
    }

    BOOL operator==(POINT point) const noexcept { return x == point.x && y == point.y; }
    BOOL operator!=(POINT point) const noexcept { return !(*this == point); }
    void operator+=(SIZE size) noexcept { Offset(size); }
    void operator-=(SIZE size) noexcept
    {
        x -= size.cx;
        y -= size.cy;
    }
    void operator+=(POINT point) noexcept { Offset(point); }
    void operator-=(POINT point) noexcept
    {
        x -= point.x;
        y -= point.y;
    }

    CPoint operator+(SIZE size) const noexcept { return CPoint(x + size.cx, y + size.cy); }
    CPoint operator-(SIZE size) const noexcept { return CPoint(x - size.cx, y - size.cy); }
    CPoint operator-() const noexcept { return CPoint(-x, -y); }
    CPoint operator+(POINT point) const noexcept { return CPoint(x + point.x, y + point.y); }
    inline CSize operator-(POINT point) const noexcept;
    inline CRect operator+(const RECT* lpRect) const noexcept;
    inline CRect operator-(const RECT* lpRect) const noexcept;
};

class CSize : public tagSIZE
{
public:
    CSize() noexcept
    {
        cx = 0;
        cy = 0;
    }
    CSize(int initCX, int initCY) noexcept
    {
        cx = initCX;
        cy = initCY;
    }
    CSize(SIZE initSize) noexcept
    {
        cx = initSize.cx;
        cy = initSize.cy;
    }
    CSize(POINT initPt) noexcept
    {
        cx = initPt.x;
        cy = initPt.y;
    }
    // Width in the low word, height in the high word.
    CSize(DWORD dwSize) noexcept
    {
        cx = static_cast<short>(LOWORD(dwSize));
        cy = static_cast<short>(HIWORD(dwSize));
    }

    BOOL operator==(SIZE size) const noexcept { return cx == size.cx && cy == size.cy; }
    BOOL operator!=(SIZE size) const noexcept { return !(*this == size); }
    void operator+=(SIZE size) noexcept
    {
        cx += size.cx;
        cy += size.cy;
    }
    void operator-=(SIZE size) noexcept
    {
        cx -= size.cx;
        cy -= size.cy;
    }
    void SetSize(int CX, int CY) noexcept
    {
        cx = CX;
        cy = CY;
    }

    CSize operator+(SIZE size) const noexcept { return CSize(cx + size.cx, cy + size.cy); }
    CSize operator-(SIZE size) const noexcept { return CSize(cx - size.cx, cy - size.cy); }
    CSize operator-() const noexcept { return CSize(-cx, -cy); }
    CPoint operator+(POINT point) const noexcept { return CPoint(cx + point.x, cy + point.y); }
    CPoint operator-(POINT point) const noexcept { return CPoint(cx - point.x, cy - point.y); }
    inline CRect operator+(const RECT* lpRect) const noexcept;
    inline CRect operator-(const RECT* lpRect) const noexcept;
};

class CRect : public tagRECT
{
public:
    CRect() noexcept { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) noexcept
    {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    CRect(const RECT& srcRect) noexcept { CopyRect(&srcRect); }
    CRect(LPCRECT lpSrcRect) noexcept { CopyRect(lpSrcRect); }
    CRect(POINT point, SIZE size) noexcept
    {
        left = point.x;
        top = point.y;
        right = point.x + size.cx;
        bottom = point.y + size.cy;
    }
    CRect(POINT topLeft, POINT bottomRight) noexcept
    {
        left = topLeft.x;
        top = topLeft.y;
        right = bottomRight.x;
        bottom = bottomRight.y;
    }

    int Width() const noexcept { return right - left; }
    int Height() const noexcept { return bottom - top; }
    CSize Size() const noexcept { return CSize(right - left, bottom - top); }
    // The corners as points that alias the rectangle's own fields.
    CPoint& TopLeft() noexcept { return *reinterpret_cast<CPoint*>(&left); }
    CPoint& BottomRight() noexcept { return *reinterpret_cast<CPoint*>(&right); }
    const CPoint& TopLeft() const noexcept { return *reinterpret_cast<const CPoint*>(&left); }
    const CPoint& BottomRight() const noexcept { return *reinterpret_cast<const CPoint*>(&right); }
    CPoint CenterPoint() const noexcept { return CPoint((left + right) / 2, (top + bottom) / 2); }
    void SwapLeftRight() noexcept { SwapLeftRight(this); }
    static void SwapLeftRight(LPRECT lpRect) noexcept
    {
        LONG temp = lpRect->left;
        lpRect->left = lpRect->right;
        lpRect->right = temp;
    }

    operator LPRECT() noexcept { return this; }
    operator LPCRECT() const noexcept { return this; }

    // Empty: no area (width or height not positive). Null: all four coordinates zero.
    BOOL IsRectEmpty() const noexcept { return left >= right || top >= bottom; }
    BOOL IsRectNull() const noexcept { return left == 0 && right == 0 && top == 0 && bottom == 0; }
    // Left and top edges are inside, right and bottom edges outside.
    BOOL PtInRect(POINT point) const noexcept
    {
        return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
    }

    void SetRect(int x1, int y1, int x2, int y2) noexcept
    {
        left = x1;
        top = y1;
        right = x2;
        bottom = y2;
    }
    void SetRect(POINT topLeft, POINT bottomRight) noexcept
    {
        SetRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    }
    void SetRectEmpty() noexcept { left = top = right = bottom = 0; }
    void CopyRect(LPCRECT lpSrcRect) noexcept
    {
        left = lpSrcRect->left;
        top = lpSrcRect->top;
        right = lpSrcRect->right;
        bottom = lpSrcRect->bottom;
    }
    BOOL EqualRect(LPCRECT lpRect) const noexcept
    {
        return left == lpRect->left && top == lpRect->top && right == lpRect->right &&
               bottom == lpRect->bottom;
    }

    void InflateRect(int x, int y) noexcept { InflateRect(x, y, x, y); }
    void InflateRect(SIZE size) noexcept { InflateRect(size.cx, size.cy, size.cx, size.cy); }
    void InflateRect(LPCRECT lpRect) noexcept
    {
        InflateRect(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
    }
    void InflateRect(int l, int t, int r, int b) noexcept
    {
        left -= l;
        top -= t;
        right += r;
        bottom += b;
    }
    void DeflateRect(int x, int y) noexcept { InflateRect(-x, -y, -x, -y); }
    void DeflateRect(SIZE size) noexcept { InflateRect(-size.cx, -size.cy, -size.cx, -size.cy); }
    void DeflateRect(LPCRECT lpRect) noexcept
    {
        InflateRect(-lpRect->left, -lpRect->top, -lpRect->right, -lpRect->bottom);
    }
    void DeflateRect(int l, int t, int r, int b) noexcept { InflateRect(-l, -t, -r, -b); }

    void OffsetRect(int x, int y) noexcept
    {
        left += x;
        right += x;
        top += y;
        bottom += y;
    }
    void OffsetRect(SIZE size) noexcept { OffsetRect(size.cx, size.cy); }
    void OffsetRect(POINT point) noexcept { OffsetRect(point.x, point.y); }

    // Moves the rectangle so its top-left corner is at the given coordinate(s), keeping
    // its size.
    void MoveToY(int y) noexcept
    {
        bottom = Height() + y;
        top = y;
    }
    void MoveToX(int x) noexcept
    {
        right = Width() + x;
        left = x;
    }
    void MoveToXY(int x, int y) noexcept
    {
        MoveToX(x);
        MoveToY(y);
    }
    void MoveToXY(POINT point) noexcept { MoveToXY(point.x, point.y); }

    // Swaps the coordinates where needed so that left <= right and top <= bottom.
    void NormalizeRect() noexcept
    {
        if (left > right)
        {
            LONG t = left;
            left = right;
            right = t;
        }
        if (top > bottom)
        {
            LONG t = top;
            top = bottom;
            bottom = t;
        }
    }

    // The overlap of the two rectangles; empty (all zero) with FALSE when they do not
    // overlap.
    BOOL IntersectRect(LPCRECT lpRect1, LPCRECT lpRect2) noexcept
    {
        LONG l = lpRect1->left > lpRect2->left ? lpRect1->left : lpRect2->left;
        LONG t = lpRect1->top > lpRect2->top ? lpRect1->top : lpRect2->top;
        LONG r = lpRect1->right < lpRect2->right ? lpRect1->right : lpRect2->right;
        LONG b = lpRect1->bottom < lpRect2->bottom ? lpRect1->bottom : lpRect2->bottom;
        if (IsEmptyRect(lpRect1) || IsEmptyRect(lpRect2) || l >= r || t >= b)
        {
            SetRectEmpty();
            return FALSE;
        }
        SetRect(l, t, r, b);
        return TRUE;
    }
    // The smallest rectangle holding both; empty rectangles take no part. FALSE (and an
    // empty result) when both are empty.
    BOOL UnionRect(LPCRECT lpRect1, LPCRECT lpRect2) noexcept
    {
        bool empty1 = IsEmptyRect(lpRect1);
        bool empty2 = IsEmptyRect(lpRect2);
        if (empty1 && empty2)
        {
            SetRectEmpty();
            return FALSE;
        }
        if (empty1)
        {
            CopyRect(lpRect2);
            return TRUE;
        }
        if (empty2)
        {
            CopyRect(lpRect1);
            return TRUE;
        }
        RECT r1 = *lpRect1;
        RECT r2 = *lpRect2;
        left = r1.left < r2.left ? r1.left : r2.left;
        top = r1.top < r2.top ? r1.top : r2.top;
        right = r1.right > r2.right ? r1.right : r2.right;
        bottom = r1.bottom > r2.bottom ? r1.bottom : r2.bottom;
        return TRUE;
    }
    // lpRectSrc1 minus lpRectSrc2 where the remainder is itself a rectangle (the second
    // covers the first fully in one direction and from one side in the other); otherwise
    // the first rectangle unchanged. FALSE when the result is empty.
    BOOL SubtractRect(LPCRECT lpRectSrc1, LPCRECT lpRectSrc2) noexcept
    {
        RECT a = *lpRectSrc1;
        RECT b = *lpRectSrc2;
        if (IsEmptyRect(&a))
        {
            SetRectEmpty();
            return FALSE;
        }
        CopyRect(&a);
        RECT overlap;
        CRect tmp;
        if (!IsEmptyRect(&b) && tmp.IntersectRect(&a, &b))
        {
            overlap = tmp;
            if (overlap.left == a.left && overlap.right == a.right)
            {
                if (overlap.top == a.top && overlap.bottom == a.bottom)
                {
                    SetRectEmpty();
                    return FALSE;
                }
                if (overlap.top == a.top)
                    top = overlap.bottom;
                else if (overlap.bottom == a.bottom)
                    bottom = overlap.top;
            }
            else if (overlap.top == a.top && overlap.bottom == a.bottom)
            {
                if (overlap.left == a.left)
                    left = overlap.right;
                else if (overlap.right == a.right)
                    right = overlap.left;
            }
        }
        return TRUE;
    }

    // Operators
    CRect& operator=(const RECT& srcRect) noexcept
    {
        CopyRect(&srcRect);
        return *this;
    }
    BOOL operator==(const RECT& rect) const noexcept { return EqualRect(&rect); }
    BOOL operator!=(const RECT& rect) const noexcept { return !EqualRect(&rect); }
    void operator+=(POINT point) noexcept { OffsetRect(point.x, point.y); }
    void operator+=(SIZE size) noexcept { OffsetRect(size.cx, size.cy); }
    void operator+=(LPCRECT lpRect) noexcept { InflateRect(lpRect); }
    void operator-=(POINT point) noexcept { OffsetRect(-point.x, -point.y); }
    void operator-=(SIZE size) noexcept { OffsetRect(-size.cx, -size.cy); }
    void operator-=(LPCRECT lpRect) noexcept { DeflateRect(lpRect); }
    void operator&=(const RECT& rect) noexcept { IntersectRect(this, &rect); }
    void operator|=(const RECT& rect) noexcept { UnionRect(this, &rect); }

    CRect operator+(POINT pt) const noexcept
    {
        CRect r(*this);
        r.OffsetRect(pt.x, pt.y);
        return r;
    }
    CRect operator-(POINT pt) const noexcept
    {
        CRect r(*this);
        r.OffsetRect(-pt.x, -pt.y);
        return r;
    }
    CRect operator+(SIZE size) const noexcept
    {
        CRect r(*this);
        r.OffsetRect(size.cx, size.cy);
        return r;
    }
    CRect operator-(SIZE size) const noexcept
    {
        CRect r(*this);
        r.OffsetRect(-size.cx, -size.cy);
        return r;
    }
    CRect operator+(LPCRECT lpRect) const noexcept
    {
        CRect r(this);
        r.InflateRect(lpRect);
        return r;
    }
    CRect operator-(LPCRECT lpRect) const noexcept
    {
        CRect r(this);
        r.DeflateRect(lpRect);
        return r;
    }
    // Without this, subtracting one CRect object from another would be ambiguous with the
    // difference of the two pointers they convert to.
    CRect operator-(const CRect& rect) const noexcept
    {
        return *this - static_cast<LPCRECT>(&rect);
    }
    CRect operator&(const RECT& rect2) const noexcept
    {
        CRect r;
        r.IntersectRect(this, &rect2);
        return r;
    }
    CRect operator|(const RECT& rect2) const noexcept
    {
        CRect r;
        r.UnionRect(this, &rect2);
        return r;
    }

    // Scales every coordinate by nMultiplier / nDivisor, rounded.
    CRect MulDiv(int nMultiplier, int nDivisor) const noexcept
    {
        return CRect(::MulDiv(left, nMultiplier, nDivisor), ::MulDiv(top, nMultiplier, nDivisor),
                     ::MulDiv(right, nMultiplier, nDivisor),
                     ::MulDiv(bottom, nMultiplier, nDivisor));
    }

private:
    static bool IsEmptyRect(LPCRECT r) noexcept
    {
        return r->left >= r->right || r->top >= r->bottom;
    }
};

// The classes add no data to the Win32 structures they derive from: arrays of them are passed to
// Win32 as arrays of the structures.
static_assert(sizeof(CPoint) == sizeof(POINT) && sizeof(CSize) == sizeof(SIZE) &&
                  sizeof(CRect) == sizeof(RECT),
              "geometry classes keep the Win32 layout");

inline CSize CPoint::operator-(POINT point) const noexcept
{
    return CSize(x - point.x, y - point.y);
}
inline CRect CPoint::operator+(const RECT* lpRect) const noexcept
{
    CRect r(lpRect);
    r.OffsetRect(x, y);
    return r;
}
inline CRect CPoint::operator-(const RECT* lpRect) const noexcept
{
    CRect r(lpRect);
    r.OffsetRect(-x, -y);
    return r;
}
inline CRect CSize::operator+(const RECT* lpRect) const noexcept
{
    CRect r(lpRect);
    r.OffsetRect(cx, cy);
    return r;
}
inline CRect CSize::operator-(const RECT* lpRect) const noexcept
{
    CRect r(lpRect);
    r.OffsetRect(-cx, -cy);
    return r;
}
