// Drawing: device contexts and the GDI objects drawn with.
//
// The object owns its handle: the destructor deletes it (DeleteObject / DeleteDC), unless the
// handle was detached. FromHandle gives temporary wrappers that never delete the handle and are
// freed when the application's loop goes idle.
#pragma once

#include "framework/core.h"

class CWnd;
class CDC;

class CGdiObject : public CObject
{
    DECLARE_DYNAMIC(CGdiObject)

public:
    CGdiObject() = default;
    ~CGdiObject() override;

    HGDIOBJ m_hObject = nullptr;
    operator HGDIOBJ() const { return m_hObject; }
    HGDIOBJ GetSafeHandle() const;

    static CGdiObject* FromHandle(HGDIOBJ hObject);
    static void DeleteTempMap();
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    int GetObject(int nCount, LPVOID lpObject) const
    {
        return ::GetObjectW(m_hObject, nCount, lpObject);
    }
    UINT GetObjectType() const { return ::GetObjectType(m_hObject); }
    BOOL CreateStockObject(int nIndex);
};

class CPen : public CGdiObject
{
    DECLARE_DYNAMIC(CPen)

public:
    CPen() = default;
    CPen(int nPenStyle, int nWidth, COLORREF crColor);
    static CPen* FromHandle(HPEN hPen) { return (CPen*)CGdiObject::FromHandle(hPen); }
    operator HPEN() const { return (HPEN)m_hObject; }
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
    BOOL CreatePenIndirect(LPLOGPEN lpLogPen);
    int GetLogPen(LOGPEN* pLogPen) { return ::GetObjectW(m_hObject, sizeof(LOGPEN), pLogPen); }
};

class CBrush : public CGdiObject
{
    DECLARE_DYNAMIC(CBrush)

public:
    CBrush() = default;
    explicit CBrush(COLORREF crColor);
    CBrush(int nIndex, COLORREF crColor);
    static CBrush* FromHandle(HBRUSH hBrush) { return (CBrush*)CGdiObject::FromHandle(hBrush); }
    operator HBRUSH() const { return (HBRUSH)m_hObject; }
    BOOL CreateSolidBrush(COLORREF crColor);
    BOOL CreateHatchBrush(int nIndex, COLORREF crColor);
    BOOL CreateSysColorBrush(int nIndex);
    BOOL CreatePatternBrush(class CBitmap* pBitmap);
    int GetLogBrush(LOGBRUSH* pLogBrush)
    {
        return ::GetObjectW(m_hObject, sizeof(LOGBRUSH), pLogBrush);
    }
};

class CFont : public CGdiObject
{
    DECLARE_DYNAMIC(CFont)

public:
    CFont() = default;
    static CFont* FromHandle(HFONT hFont) { return (CFont*)CGdiObject::FromHandle(hFont); }
    operator HFONT() const { return (HFONT)m_hObject; }
    BOOL CreateFontIndirect(const LOGFONT* lpLogFont);
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                    BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                    BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality, BYTE nPitchAndFamily,
                    LPCTSTR lpszFacename);
    // Height in tenths of a point for the given DC (the screen when null).
    BOOL CreatePointFont(int nPointSize, LPCTSTR lpszFaceName, CDC* pDC = nullptr);
    BOOL CreatePointFontIndirect(const LOGFONT* lpLogFont, CDC* pDC = nullptr);
    int GetLogFont(LOGFONT* pLogFont) { return ::GetObjectW(m_hObject, sizeof(LOGFONT), pLogFont); }
};

class CBitmap : public CGdiObject
{
    DECLARE_DYNAMIC(CBitmap)

public:
    CBitmap() = default;
    static CBitmap* FromHandle(HBITMAP hBitmap)
    {
        return (CBitmap*)CGdiObject::FromHandle(hBitmap);
    }
    operator HBITMAP() const { return (HBITMAP)m_hObject; }
    BOOL LoadBitmap(LPCTSTR lpszResourceName);
    BOOL LoadBitmap(UINT nIDResource);
    BOOL LoadOEMBitmap(UINT nIDBitmap);
    BOOL CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits);
    BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
    int GetBitmap(BITMAP* pBitMap) { return ::GetObjectW(m_hObject, sizeof(BITMAP), pBitMap); }
    CSize GetBitmapDimension() const;
};

class CRgn : public CGdiObject
{
    DECLARE_DYNAMIC(CRgn)

public:
    CRgn() = default;
    static CRgn* FromHandle(HRGN hRgn) { return (CRgn*)CGdiObject::FromHandle(hRgn); }
    operator HRGN() const { return (HRGN)m_hObject; }
    BOOL CreateRectRgn(int x1, int y1, int x2, int y2);
    BOOL CreateRectRgnIndirect(LPCRECT lpRect);
    BOOL CreateEllipticRgn(int x1, int y1, int x2, int y2);
    BOOL CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3);
    BOOL CreatePolygonRgn(const POINT* lpPoints, int nCount, int nMode);
    int CombineRgn(const CRgn* pRgn1, const CRgn* pRgn2, int nCombineMode);
    int CopyRgn(const CRgn* pRgnSrc)
    {
        return ::CombineRgn((HRGN)m_hObject, (HRGN)pRgnSrc->m_hObject, nullptr, RGN_COPY);
    }
    void SetRectRgn(int x1, int y1, int x2, int y2)
    {
        ::SetRectRgn((HRGN)m_hObject, x1, y1, x2, y2);
    }
    void SetRectRgn(LPCRECT lpRect)
    {
        ::SetRectRgn((HRGN)m_hObject, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
    }
    BOOL PtInRegion(int x, int y) const { return ::PtInRegion((HRGN)m_hObject, x, y); }
    BOOL PtInRegion(POINT point) const { return ::PtInRegion((HRGN)m_hObject, point.x, point.y); }
    BOOL RectInRegion(LPCRECT lpRect) const { return ::RectInRegion((HRGN)m_hObject, lpRect); }
    int GetRgnBox(LPRECT lpRect) const { return ::GetRgnBox((HRGN)m_hObject, lpRect); }
    int OffsetRgn(int x, int y) { return ::OffsetRgn((HRGN)m_hObject, x, y); }
    BOOL EqualRgn(const CRgn* pRgn) const
    {
        return ::EqualRgn((HRGN)m_hObject, (HRGN)pRgn->m_hObject);
    }
};

class CDC : public CObject
{
    DECLARE_DYNAMIC(CDC)

public:
    CDC() = default;
    ~CDC() override;

    HDC m_hDC = nullptr;       // the output context
    HDC m_hAttribDC = nullptr; // same handle here (no separate attribute context)
    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const;

    static CDC* FromHandle(HDC hDC);
    static void DeleteTempMap();
    BOOL Attach(HDC hDC);
    HDC Detach();
    BOOL DeleteDC();
    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL CreateDC(LPCTSTR lpszDriverName, LPCTSTR lpszDeviceName, LPCTSTR lpszOutput,
                  const void* lpInitData);
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int nSavedDC) { return ::RestoreDC(m_hDC, nSavedDC); }
    CWnd* GetWindow() const;
    int GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hDC, nIndex); }

    // Selecting objects answers the previous object (a temporary wrapper).
    CPen* SelectObject(CPen* pPen);
    CBrush* SelectObject(CBrush* pBrush);
    CFont* SelectObject(CFont* pFont);
    CBitmap* SelectObject(CBitmap* pBitmap);
    int SelectObject(CRgn* pRgn);
    CGdiObject* SelectObject(CGdiObject* pObject);
    HGDIOBJ SelectObject(HGDIOBJ hObject) { return ::SelectObject(m_hDC, hObject); }
    CGdiObject* SelectStockObject(int nIndex);
    CPen* GetCurrentPen() const;
    CBrush* GetCurrentBrush() const;
    CFont* GetCurrentFont() const;
    CBitmap* GetCurrentBitmap() const;

    // Colours and modes.
    COLORREF SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    COLORREF SetBkColor(COLORREF crColor) { return ::SetBkColor(m_hDC, crColor); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    int SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
    int GetBkMode() const { return ::GetBkMode(m_hDC); }
    int SetROP2(int nDrawMode) { return ::SetROP2(m_hDC, nDrawMode); }
    int SetMapMode(int nMapMode) { return ::SetMapMode(m_hDC, nMapMode); }
    UINT SetTextAlign(UINT nFlags) { return ::SetTextAlign(m_hDC, nFlags); }
    int SetStretchBltMode(int nMode) { return ::SetStretchBltMode(m_hDC, nMode); }
    CPoint SetViewportOrg(int x, int y);
    CPoint SetViewportOrg(POINT point) { return SetViewportOrg(point.x, point.y); }
    CPoint GetViewportOrg() const;
    CPoint SetWindowOrg(int x, int y);
    CPoint OffsetViewportOrg(int nWidth, int nHeight);

    // Clipping.
    int SelectClipRgn(CRgn* pRgn);
    int SelectClipRgn(CRgn* pRgn, int nMode);
    int IntersectClipRect(int x1, int y1, int x2, int y2)
    {
        return ::IntersectClipRect(m_hDC, x1, y1, x2, y2);
    }
    int IntersectClipRect(LPCRECT lpRect)
    {
        return ::IntersectClipRect(m_hDC, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
    }
    int ExcludeClipRect(int x1, int y1, int x2, int y2)
    {
        return ::ExcludeClipRect(m_hDC, x1, y1, x2, y2);
    }
    int ExcludeClipRect(LPCRECT lpRect)
    {
        return ::ExcludeClipRect(m_hDC, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
    }
    int GetClipBox(LPRECT lpRect) const { return ::GetClipBox(m_hDC, lpRect); }
    BOOL RectVisible(LPCRECT lpRect) const { return ::RectVisible(m_hDC, lpRect); }
    BOOL PtVisible(int x, int y) const { return ::PtVisible(m_hDC, x, y); }

    // Lines and shapes.
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT point) { return MoveTo(point.x, point.y); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT point) { return ::LineTo(m_hDC, point.x, point.y); }
    BOOL Polyline(const POINT* lpPoints, int nCount) { return ::Polyline(m_hDC, lpPoints, nCount); }
    BOOL Polygon(const POINT* lpPoints, int nCount) { return ::Polygon(m_hDC, lpPoints, nCount); }
    BOOL Rectangle(int x1, int y1, int x2, int y2) { return ::Rectangle(m_hDC, x1, y1, x2, y2); }
    BOOL Rectangle(LPCRECT lpRect)
    {
        return ::Rectangle(m_hDC, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
    }
    BOOL RoundRect(int x1, int y1, int x2, int y2, int x3, int y3)
    {
        return ::RoundRect(m_hDC, x1, y1, x2, y2, x3, y3);
    }
    BOOL RoundRect(LPCRECT lpRect, POINT point)
    {
        return ::RoundRect(m_hDC, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom, point.x,
                           point.y);
    }
    BOOL Ellipse(int x1, int y1, int x2, int y2) { return ::Ellipse(m_hDC, x1, y1, x2, y2); }
    BOOL Ellipse(LPCRECT lpRect)
    {
        return ::Ellipse(m_hDC, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
    }
    void FillRect(LPCRECT lpRect, CBrush* pBrush);
    void FillSolidRect(LPCRECT lpRect, COLORREF clr);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF clr);
    void FrameRect(LPCRECT lpRect, CBrush* pBrush);
    void InvertRect(LPCRECT lpRect) { ::InvertRect(m_hDC, lpRect); }
    BOOL FillRgn(CRgn* pRgn, CBrush* pBrush);
    BOOL FrameRgn(CRgn* pRgn, CBrush* pBrush, int nWidth, int nHeight);
    void Draw3dRect(LPCRECT lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight);
    BOOL DrawEdge(LPRECT lpRect, UINT nEdge, UINT nFlags)
    {
        return ::DrawEdge(m_hDC, lpRect, nEdge, nFlags);
    }
    void DrawFocusRect(LPCRECT lpRect) { ::DrawFocusRect(m_hDC, lpRect); }
    BOOL DrawFrameControl(LPRECT lpRect, UINT nType, UINT nState)
    {
        return ::DrawFrameControl(m_hDC, lpRect, nType, nState);
    }
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
    BOOL DrawIcon(POINT point, HICON hIcon) { return ::DrawIcon(m_hDC, point.x, point.y, hIcon); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    COLORREF SetPixel(int x, int y, COLORREF crColor) { return ::SetPixel(m_hDC, x, y, crColor); }

    // Bitmaps.
    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                DWORD dwRop);
    BOOL StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                    int nSrcWidth, int nSrcHeight, DWORD dwRop);
    BOOL PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop)
    {
        return ::PatBlt(m_hDC, x, y, nWidth, nHeight, dwRop);
    }

    // Text.
    BOOL TextOut(int x, int y, LPCTSTR lpszString, int nCount)
    {
        return ::TextOutW(m_hDC, x, y, lpszString, nCount);
    }
    BOOL TextOut(int x, int y, const CString& str)
    {
        return ::TextOutW(m_hDC, x, y, str, str.GetLength());
    }
    BOOL ExtTextOut(int x, int y, UINT nOptions, LPCRECT lpRect, LPCTSTR lpszString, UINT nCount,
                    LPINT lpDxWidths)
    {
        return ::ExtTextOutW(m_hDC, x, y, nOptions, lpRect, lpszString, nCount, lpDxWidths);
    }
    BOOL ExtTextOut(int x, int y, UINT nOptions, LPCRECT lpRect, const CString& str,
                    LPINT lpDxWidths)
    {
        return ::ExtTextOutW(m_hDC, x, y, nOptions, lpRect, str, str.GetLength(), lpDxWidths);
    }
    int DrawText(LPCTSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat)
    {
        return ::DrawTextW(m_hDC, lpszString, nCount, lpRect, nFormat);
    }
    int DrawText(const CString& str, LPRECT lpRect, UINT nFormat)
    {
        return ::DrawTextW(m_hDC, str, str.GetLength(), lpRect, nFormat);
    }
    int DrawTextEx(LPTSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat,
                   LPDRAWTEXTPARAMS lpDTParams)
    {
        return ::DrawTextExW(m_hDC, lpszString, nCount, lpRect, nFormat, lpDTParams);
    }
    CSize GetTextExtent(LPCTSTR lpszString, int nCount) const;
    CSize GetTextExtent(const CString& str) const;
    CSize GetOutputTextExtent(const CString& str) const { return GetTextExtent(str); }
    BOOL GetTextMetrics(LPTEXTMETRIC lpMetrics) const
    {
        return ::GetTextMetricsW(m_hDC, lpMetrics);
    }
    int GetTextFace(CString& rString) const;
    BOOL GetCharWidth(UINT nFirstChar, UINT nLastChar, LPINT lpBuffer) const
    {
        return ::GetCharWidth32W(m_hDC, nFirstChar, nLastChar, lpBuffer);
    }
    int GetTextCharacterExtra() const { return ::GetTextCharacterExtra(m_hDC); }

    // Coordinates.
    void DPtoLP(LPPOINT lpPoints, int nCount = 1) const { ::DPtoLP(m_hDC, lpPoints, nCount); }
    void LPtoDP(LPPOINT lpPoints, int nCount = 1) const { ::LPtoDP(m_hDC, lpPoints, nCount); }
};

// The DC of a window's WM_PAINT (BeginPaint / EndPaint).
class CPaintDC : public CDC
{
    DECLARE_DYNAMIC(CPaintDC)

public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;

protected:
    HWND m_hWnd;
};

// The client-area DC of a window (GetDC / ReleaseDC); a null window gives the screen.
class CClientDC : public CDC
{
    DECLARE_DYNAMIC(CClientDC)

public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};

// The whole-window DC (GetWindowDC / ReleaseDC).
class CWindowDC : public CDC
{
    DECLARE_DYNAMIC(CWindowDC)

public:
    explicit CWindowDC(CWnd* pWnd);
    ~CWindowDC() override;

protected:
    HWND m_hWnd;
};
