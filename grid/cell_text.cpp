// Cell value text and the texts of long-value tool tips (see cell_text.h).
#include "grid/cell_text.h"

#include "dbaccess/sql_text.h"
#include "dbaccess/value_text.h"

#include <vector>

// Display kinds of a column (the grid's column objects carry them).
enum : UINT
{
    kShowText = 0,
    kShowTextFormat = 1,
    kShowLong = 2,
    kShowDouble = 3,
    kShowDateTime = 4
};

LPCWSTR GetSpecialValueText(UINT kind)
{
    static const wchar_t* const texts[] = {
        L"", L"<<NULL>>", L"<<NO TOTAL>>", L"<<EMPTY>>", L"<<EXCEPTION>>", L"<<UNKNOWN>>",
    };
    return kind < sizeof(texts) / sizeof(texts[0]) ? texts[kind] : L"";
}

int FormatPrecision(LPCWSTR pszFormat)
{
    if (pszFormat == nullptr)
        return -1;
    for (const wchar_t* p = pszFormat; *p; ++p)
    {
        if (p[0] == L'%' && p[1] == L'%')
        {
            ++p;
            continue;
        }
        if (*p != L'%')
            continue;
        const wchar_t* q = p + 1;
        while (*q && *q != L'.' && (*q < L'a' || *q > L'z') && (*q < L'A' || *q > L'Z'))
            ++q;
        if (*q != L'.')
            return -1;
        int n = 0;
        bool any = false;
        for (++q; *q >= L'0' && *q <= L'9'; ++q)
        {
            n = n * 10 + (*q - L'0');
            any = true;
            if (n > 1000)
                return -1;
        }
        return any ? n : 0;
    }
    return -1;
}

bool FormatDecimalText(LPCWSTR pszText, int nDecimals, CString& out)
{
    CString plain;
    if (!NormalizeNumberText(pszText, 0, plain))
        return false;
    if (nDecimals < 0)
    {
        out = plain;
        return true;
    }
    std::wstring s(static_cast<LPCWSTR>(plain));
    bool negative = !s.empty() && s[0] == L'-';
    if (negative || (!s.empty() && s[0] == L'+'))
        s.erase(0, 1);
    size_t point = s.find(L'.');
    std::wstring whole = point == std::wstring::npos ? s : s.substr(0, point);
    std::wstring frac = point == std::wstring::npos ? std::wstring() : s.substr(point + 1);
    if (whole.empty())
        whole = L"0";
    if (frac.size() > static_cast<size_t>(nDecimals))
    {
        bool up = frac[nDecimals] >= L'5';
        frac.resize(nDecimals);
        if (up)
        {
            std::wstring digits = whole + frac;
            int i = static_cast<int>(digits.size()) - 1;
            for (; i >= 0; --i)
            {
                if (digits[i] == L'9')
                {
                    digits[i] = L'0';
                }
                else
                {
                    ++digits[i];
                    break;
                }
            }
            if (i < 0)
                digits.insert(digits.begin(), L'1');
            whole = digits.substr(0, digits.size() - frac.size());
            frac = digits.substr(digits.size() - frac.size());
        }
    }
    while (frac.size() < static_cast<size_t>(nDecimals))
        frac += L'0';
    bool zero = whole.find_first_not_of(L'0') == std::wstring::npos &&
                frac.find_first_not_of(L'0') == std::wstring::npos;
    std::wstring result = (negative && !zero) ? L"-" : L"";
    result += whole;
    if (!frac.empty())
        result += L"." + frac;
    out = result.c_str();
    return true;
}

CString FormatDateTimeText(const TIMESTAMP_STRUCT& ts, LPCWSTR pszDateFormat, LPCWSTR pszTimeFormat)
{
    // PostgreSQL's infinite dates have no date to format; its years BC are formatted as the
    // positive year and marked.
    if (const int infinity = TimestampInfinity(ts))
        return InfinityText(infinity);
    if (IsFarFutureTimestamp(ts))
        return FarFutureText(ts,
                             pszTimeFormat && *pszTimeFormat ? SQL_TYPE_TIMESTAMP : SQL_TYPE_DATE);
    if (ts.year < 0)
    {
        TIMESTAMP_STRUCT ad = ts;
        ad.year = static_cast<SQLSMALLINT>(-ts.year);
        return FormatDateTimeText(ad, pszDateFormat, pszTimeFormat) + L" BC";
    }
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(ts.year);
    st.wMonth = ts.month;
    st.wDay = ts.day;
    st.wHour = ts.hour;
    st.wMinute = ts.minute;
    st.wSecond = ts.second;
    st.wMilliseconds = static_cast<WORD>(ts.fraction / 1000000);
    std::vector<wchar_t> date(1024, 0), time(1024, 0);
    if (GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, pszDateFormat, date.data(), 1024) <= 0)
        date[0] = 0;
    if (GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, pszTimeFormat, time.data(), 1024) <= 0)
        time[0] = 0;
    CString d(date.data()), t(time.data());
    if (t.IsEmpty())
        return d;
    if (d.IsEmpty())
        return t;
    return d + L"  " + t;
}

static void SetMarker(CGridItem& item, UINT kind)
{
    item.m_strText = GetSpecialValueText(kind);
    item.m_nKind = kind;
    item.m_bTruncated = 0;
}

void FormatCursorValue(Zelt::ICursor* pCursor, UINT nColumn, UINT nDisplayKind,
                       const CString& strFormat, const CString& strFormat2, bool bShowMarkers,
                       CGridItem& item)
{
    try
    {
        bool valid = pCursor->IsFieldValid(nColumn);
        if (!valid && (nDisplayKind == kShowText || nDisplayKind == kShowTextFormat))
            valid = pCursor->IsFieldNoTotal(nColumn);
        bool truncated = pCursor->IsFieldTruncated(nColumn);
        item.Clear();
        if (!valid)
        {
            if (!bShowMarkers)
                return;
            if (pCursor->IsFieldTypeUnknown(nColumn))
                SetMarker(item, kGridUnknown);
            else if (pCursor->IsFieldNull(nColumn))
                SetMarker(item, kGridNull);
            else if (pCursor->IsFieldNoTotal(nColumn))
                SetMarker(item, kGridNoTotal);
            else if (pCursor->IsFieldEmpty(nColumn))
                SetMarker(item, kGridEmpty);
            return;
        }
        item.m_bTruncated = truncated ? 1 : 0;
        CString text;
        // A value of another kind than its column's shows as the text it is stored as.
        if (nDisplayKind != kShowText && pCursor->IsFieldHeldAsText(nColumn))
            nDisplayKind = kShowText;
        switch (nDisplayKind)
        {
        case kShowTextFormat:
            pCursor->GetFieldText(nColumn, text);
            item.m_strText.Format(strFormat, static_cast<LPCWSTR>(text));
            break;
        case kShowLong: {
            long value = 0;
            pCursor->GetFieldLong(nColumn, value);
            item.m_strText.Format(strFormat, value);
            break;
        }
        case kShowDouble: {
            // Exact decimals keep their own digits; a double holds only about 15 of them.
            int sqlType = pCursor->GetColumnSQLType(nColumn);
            if (sqlType == SQL_NUMERIC || sqlType == SQL_DECIMAL)
            {
                pCursor->GetFieldText(nColumn, text);
                if (FormatDecimalText(text, FormatPrecision(strFormat), item.m_strText))
                    break;
            }
            double value = 0;
            pCursor->GetFieldDouble(nColumn, value);
            item.m_strText.Format(strFormat, value);
            break;
        }
        case kShowDateTime: {
            TIMESTAMP_STRUCT ts{};
            if (pCursor->GetFieldTimestamp(nColumn, ts))
                item.m_strText = FormatDateTimeText(ts, strFormat, strFormat2);
            break;
        }
        default: pCursor->GetFieldText(nColumn, item.m_strText); break;
        }
    }
    catch (CException* e)
    {
        e->Delete();
        if (bShowMarkers)
            SetMarker(item, kGridException);
        else
            item.Clear();
    }
}

void IndentMarkupText(CString& text)
{
    bool inTag = false, inComment = false, firstTag = true;
    wchar_t quote = 0;
    std::vector<int> stack;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        wchar_t c = text[i];
        if (!inTag)
        {
            if (c != L'<')
                continue;
            inTag = true;
            int len = text.GetLength();
            bool comment =
                i + 3 < len && text[i + 1] == L'!' && text[i + 2] == L'-' && text[i + 3] == L'-';
            bool closing = !comment && i + 1 < len && text[i + 1] == L'/';
            bool pi = !comment && i + 1 < len && text[i + 1] == L'?';
            bool opening = !closing && !pi;
            if (comment)
                inComment = true;
            bool brk;
            if (opening && !firstTag)
                brk = true;
            else
                brk = !stack.empty() && stack.back() >= 1;
            if (brk)
            {
                int tabs = static_cast<int>(stack.size());
                if ((closing || pi) && !stack.empty())
                    --tabs;
                CString ins = L"\n";
                for (int t = 0; t < tabs; ++t)
                    ins += L"\t";
                text.Insert(i, ins);
                i += ins.GetLength();
            }
            if (opening)
            {
                if (!stack.empty())
                    ++stack.back();
                stack.push_back(0);
            }
            else if (!stack.empty())
            {
                stack.pop_back();
            }
            firstTag = false;
            if (comment)
                i += 3; // continue after the dashes
            continue;
        }
        if (inComment)
        {
            if (c == L'>' && i >= 2 && text[i - 1] == L'-' && text[i - 2] == L'-')
            {
                inTag = false;
                inComment = false;
                if (!stack.empty())
                    stack.pop_back();
            }
            continue;
        }
        if (quote != 0)
        {
            if (c == L'"' || c == L'\'')
                quote = 0;
            continue;
        }
        if (c == L'"' || c == L'\'')
        {
            quote = c;
        }
        else if (c == L'>')
        {
            inTag = false;
            if (i > 0 && text[i - 1] == L'/' && !stack.empty())
                stack.pop_back();
        }
    }
}

void WrapTipText(CString& text, int nWidth)
{
    if (nWidth <= 0 || text.GetLength() <= nWidth)
        return;
    for (int k = 1; nWidth * k < text.GetLength(); ++k)
        text.Insert(nWidth * k + (k - 1), L'\n');
}

bool IsLongValueSQLType(int nSQLType)
{
    switch (nSQLType)
    {
    case -152:
    case SQL_WLONGVARCHAR:
    case SQL_WVARCHAR:
    case SQL_WCHAR:
    case SQL_LONGVARBINARY:
    case SQL_VARBINARY:
    case SQL_BINARY:
    case SQL_LONGVARCHAR:
    case SQL_CHAR:
    case SQL_VARCHAR: return true;
    default: return false;
    }
}

bool MakeLongValueTip(int nSQLType, const CGridItem& value, CString& tip)
{
    if (value.m_nKind != kGridValue || value.m_strText.IsEmpty())
        return false;
    if (value.m_strText.GetLength() <= 100 && value.m_strText.Find(L'\n') < 0)
        return false;
    tip = value.m_strText;
    if (tip.GetLength() > 8192)
        tip = tip.Left(8192);
    if (nSQLType == SQL_LONGVARBINARY || nSQLType == SQL_VARBINARY || nSQLType == SQL_BINARY)
    {
        WrapTipText(tip);
        return true;
    }
    int first = 0;
    while (first < tip.GetLength() && (tip[first] == L' ' || tip[first] == L'\t' ||
                                       tip[first] == L'\n' || tip[first] == L'\r'))
        ++first;
    if (nSQLType == -152 || (first < tip.GetLength() && tip[first] == L'<'))
    {
        IndentMarkupText(tip);
        return true;
    }
    if (tip.FindOneOf(L" \t\n") < 0)
        WrapTipText(tip);
    return true;
}
