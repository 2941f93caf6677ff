#include "services/excel_automation.h"

namespace {

// The object a call returned, owned by the new wrapper.
template <class T>
T Wrap(COleVariant result)
{
    T wrapper;
    if (result.vt != VT_DISPATCH || !result.pdispVal)
        AfxThrowOleException(E_UNEXPECTED);
    VARIANT v = result.Detach();
    wrapper.AttachDispatch(v.pdispVal, TRUE);
    return wrapper;
}

} // namespace

XlFont XlRange::GetFont()
{
    return Wrap<XlFont>(GetProperty(146));
}

XlInterior XlRange::GetInterior()
{
    return Wrap<XlInterior>(GetProperty(129));
}

XlRange XlWorksheet::GetRange(const COleVariant& cell1, const COleVariant& cell2)
{
    return Wrap<XlRange>(Invoke(197, DISPATCH_PROPERTYGET, {cell1, cell2}));
}

long XlSheets::GetCount()
{
    COleVariant v = GetProperty(118);
    v.ChangeType(VT_I4);
    return v.lVal;
}

void XlRange::SetValues(VARIANT& values)
{
    // Passed by reference: an argument by value would be a deep copy of the whole array, every
    // string of it, before the call. Servers take a variant by reference as its value.
    VARIANT ref;
    ref.vt = VT_BYREF | VT_VARIANT;
    ref.pvarVal = &values;
    SetProperty(6, COleVariant(ref));
}

XlWorksheet XlSheets::GetItem(const COleVariant& index)
{
    return Wrap<XlWorksheet>(Invoke(170, DISPATCH_PROPERTYGET, {index}));
}

XlWorksheet XlSheets::Add(const COleVariant& before, const COleVariant& after,
                          const COleVariant& count, const COleVariant& type)
{
    return Wrap<XlWorksheet>(Invoke(181, DISPATCH_METHOD, {before, after, count, type}));
}

XlSheets XlWorkbook::GetWorksheets()
{
    return Wrap<XlSheets>(GetProperty(494));
}

void XlWorkbook::SaveAs(LPCWSTR pszFileName, long nFileFormat)
{
    COleVariant o = OmittedArgument();
    Invoke(284, DISPATCH_METHOD,
           {COleVariant(pszFileName), COleVariant(nFileFormat), o, o, o, o, o, o, o, o, o});
}

void XlWorkbook::Close(bool bSaveChanges)
{
    Invoke(GetDispID(L"Close"), DISPATCH_METHOD, {COleVariant(bSaveChanges)});
}

XlWorkbook XlWorkbooks::Add(const COleVariant& vTemplate)
{
    return Wrap<XlWorkbook>(Invoke(181, DISPATCH_METHOD, {vTemplate}));
}

XlWorkbooks XlApplication::GetWorkbooks()
{
    return Wrap<XlWorkbooks>(GetProperty(572));
}

void XlApplication::SetDisplayAlerts(bool bDisplay)
{
    SetProperty(GetDispID(L"DisplayAlerts"), COleVariant(bDisplay));
}
