#include "dbaccess/field_text.h"

#include "dbaccess/db_exception.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Widest precision worth printing: a double carries 17 significant digits, and a fixed format
// beyond 38 decimals shows nothing any column type holds.
const int kMaxSignificant = 17;
const int kMaxDecimals = 38;

std::string FormatNarrow(double value, const Zelt::ICursor::CColumnDesc* desc)
{
    char format[16] = "%f";
    if (desc && desc->nDecimalDigits >= 1)
        snprintf(format, sizeof format, "%%.%df",
                 desc->nDecimalDigits > kMaxDecimals ? kMaxDecimals : desc->nDecimalDigits);
    else if (desc && desc->nColumnSize != 0)
        snprintf(format, sizeof format, "%%.%dg",
                 desc->nColumnSize > static_cast<SQLULEN>(kMaxSignificant) ? kMaxSignificant
                                                                           : static_cast<int>(desc->nColumnSize));
    char buf[400];
    int n = 0;
    // Beyond 15 significant digits a double prints digits it never held (1.1 as
    // 1.1000000000000001): take the fewest digits that still read back as the same value.
    if (desc && desc->nDecimalDigits < 1 && desc->nColumnSize > 15) {
        const int most = desc->nColumnSize > static_cast<SQLULEN>(kMaxSignificant) ? kMaxSignificant
                                                                                    : static_cast<int>(desc->nColumnSize);
        for (int digits = 15; digits <= most; ++digits) {
            n = snprintf(buf, sizeof buf, "%.*g", digits, value);
            if (digits == most || strtod(buf, nullptr) == value)
                return std::string(buf, static_cast<size_t>(n));
        }
    }
    n = snprintf(buf, sizeof buf, format, value);
    if (n < 0)
        return std::string();
    if (static_cast<size_t>(n) < sizeof buf)
        return std::string(buf, static_cast<size_t>(n));
    std::string big(static_cast<size_t>(n) + 1, '\0');
    snprintf(big.data(), big.size(), format, value);
    big.resize(static_cast<size_t>(n));
    return big;
}

CString FormatOf(const Zelt::ICursor::CColumnDesc* desc)
{
    CString format = L"%f";
    if (desc && desc->nDecimalDigits >= 1)
        format = (L"%." + std::to_wstring(desc->nDecimalDigits > kMaxDecimals ? kMaxDecimals : desc->nDecimalDigits) + L"f").c_str();
    else if (desc && desc->nColumnSize != 0)
        format = (L"%." + std::to_wstring(desc->nColumnSize > static_cast<SQLULEN>(kMaxSignificant) ? kMaxSignificant : static_cast<int>(desc->nColumnSize)) + L"g").c_str();
    return format;
}

} // namespace

CString FormatDoubleText(Zelt::ICursor* cursor, UINT col)
{
    return FormatOf(cursor ? cursor->GetColumn(col) : nullptr);
}

CStringA FormatDoubleTextA(Zelt::ICursor* cursor, UINT col)
{
    return CStringA(FormatDoubleText(cursor, col));
}

CString FormatDoubleValue(double value, const Zelt::ICursor::CColumnDesc* desc)
{
    const std::string text = FormatNarrow(value, desc);
    CString out;
    wchar_t* p = out.GetBuffer(static_cast<int>(text.size()));
    for (size_t i = 0; i < text.size(); ++i)
        p[i] = static_cast<unsigned char>(text[i]);
    out.ReleaseBuffer(static_cast<int>(text.size()));
    return out;
}

CStringA FormatDoubleValueA(double value, const Zelt::ICursor::CColumnDesc* desc)
{
    const std::string text = FormatNarrow(value, desc);
    return CStringA(text.c_str(), static_cast<int>(text.size()));
}

CString SignedText(LONGLONG value)
{
    return CString(std::to_wstring(value).c_str());
}

CString UnsignedText(ULONGLONG value)
{
    return CString(std::to_wstring(value).c_str());
}

bool DoubleToLong(double value, long& out)
{
    if (!(value > -2147483649.0 && value < 2147483648.0))
        return false;
    out = static_cast<long>(std::trunc(value));
    return true;
}

void ThrowValueOutOfRange(UINT col)
{
    throw new Zelt::CRDBException(
        (L"Value out of range for field #" + std::to_wstring(static_cast<int>(col))).c_str());
}
