#include "dbaccess/cursor.h"

#include "dbaccess/db_exception.h"

namespace Zelt {

namespace {

[[noreturn]] void ThrowNoNamedField(LPCWSTR name)
{
    CString message;
    message.Format(L"Failed retrieving data from field '%s'", name ? name : L"");
    throw new CRDBException(static_cast<LPCWSTR>(message));
}

} // namespace

bool ICursor::GetFieldTextByName(LPCWSTR name, CString& value)
{
    const int col = FindColumn(name);
    if (col < 1)
        ThrowNoNamedField(name);
    return GetFieldText(static_cast<UINT>(col), value);
}

bool ICursor::GetFieldIntByName(LPCWSTR name, int& value)
{
    const int col = FindColumn(name);
    if (col < 1)
        ThrowNoNamedField(name);
    return GetFieldInt(static_cast<UINT>(col), value);
}

} // namespace Zelt
