#include "framework/automation.h"

#include <vector>

IMPLEMENT_DYNAMIC(COleException, CException)
IMPLEMENT_DYNAMIC(COleDispatchException, CException)

// ---- COleVariant -----------------------------------------------------------------------------

COleVariant::COleVariant(const VARIANT& src)
{
    VariantInit(this);
    *this = src;
}

COleVariant::COleVariant(const COleVariant& src)
{
    VariantInit(this);
    *this = static_cast<const VARIANT&>(src);
}

COleVariant::COleVariant(LPCWSTR pszText)
{
    VariantInit(this);
    vt = VT_BSTR;
    bstrVal = SysAllocString(pszText ? pszText : L"");
    if (!bstrVal)
        AfxThrowMemoryException();
}

COleVariant::COleVariant(long lSrc, VARTYPE vtSrc)
{
    VariantInit(this);
    vt = vtSrc;
    if (vtSrc == VT_I2)
        iVal = static_cast<short>(lSrc);
    else if (vtSrc == VT_ERROR)
        scode = lSrc;
    else if (vtSrc == VT_BOOL)
        boolVal = lSrc ? VARIANT_TRUE : VARIANT_FALSE;
    else
    {
        vt = VT_I4;
        lVal = lSrc;
    }
}

COleVariant::COleVariant(bool bSrc)
{
    VariantInit(this);
    vt = VT_BOOL;
    boolVal = bSrc ? VARIANT_TRUE : VARIANT_FALSE;
}

COleVariant::COleVariant(double dblSrc)
{
    VariantInit(this);
    vt = VT_R8;
    dblVal = dblSrc;
}

COleVariant::COleVariant(IDispatch* pDispatch)
{
    VariantInit(this);
    vt = VT_DISPATCH;
    pdispVal = pDispatch;
    if (pDispatch)
        pDispatch->AddRef();
}

COleVariant& COleVariant::operator=(const VARIANT& src)
{
    if (&src != this)
    {
        HRESULT hr = VariantCopy(this, const_cast<VARIANT*>(&src));
        if (FAILED(hr))
            AfxThrowOleException(hr);
    }
    return *this;
}

VARIANT COleVariant::Detach()
{
    VARIANT v = *this;
    vt = VT_EMPTY;
    return v;
}

void COleVariant::ChangeType(VARTYPE vartype)
{
    if (vt == vartype)
        return;
    HRESULT hr = VariantChangeType(this, this, 0, vartype);
    if (FAILED(hr))
        AfxThrowOleException(hr);
}

COleVariant OmittedArgument()
{
    return COleVariant(static_cast<long>(DISP_E_PARAMNOTFOUND), VT_ERROR);
}

// ---- Exceptions ------------------------------------------------------------------------------

namespace {

CString SystemText(SCODE sc)
{
    LPWSTR buffer = nullptr;
    DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(sc), 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    CString text;
    if (n && buffer)
    {
        text = buffer;
        text.TrimRight();
    }
    if (buffer)
        LocalFree(buffer);
    if (text.IsEmpty())
        text.Format(L"OLE error 0x%08X", static_cast<UINT>(sc));
    return text;
}

} // namespace

BOOL COleException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    return CopyErrorMessage(SystemText(m_sc), lpszError, nMaxError, pnHelpContext);
}

BOOL COleException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext)
{
    return static_cast<const COleException*>(this)->GetErrorMessage(lpszError, nMaxError,
                                                                    pnHelpContext);
}

COleDispatchException::COleDispatchException(LPCTSTR lpszDescription, UINT nHelpID, WORD wCode)
    : m_wCode(wCode), m_strDescription(lpszDescription ? lpszDescription : L""),
      m_dwHelpContext(nHelpID)
{}

BOOL COleDispatchException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                                            PUINT pnHelpContext) const
{
    CString text = m_strDescription;
    if (text.IsEmpty())
        text = SystemText(m_scError != S_OK ? m_scError : DISP_E_EXCEPTION);
    return CopyErrorMessage(text, lpszError, nMaxError, pnHelpContext);
}

BOOL COleDispatchException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext)
{
    return static_cast<const COleDispatchException*>(this)->GetErrorMessage(lpszError, nMaxError,
                                                                            pnHelpContext);
}

void AfxThrowOleException(SCODE sc)
{
    throw new COleException(sc);
}

void AfxThrowOleDispatchException(WORD wCode, LPCTSTR lpszDescription, UINT nHelpID)
{
    throw new COleDispatchException(lpszDescription, nHelpID, wCode);
}

void AfxThrowOleDispatchException(WORD wCode, UINT nDescriptionID, UINT nHelpID)
{
    CString text;
    if (!text.LoadString(nDescriptionID))
        text.Format(L"Error %u", nDescriptionID);
    throw new COleDispatchException(text, nHelpID ? nHelpID : nDescriptionID, wCode);
}

// ---- COleDispatchDriver ----------------------------------------------------------------------

COleDispatchDriver::COleDispatchDriver(const COleDispatchDriver& other)
    : m_lpDispatch(other.m_lpDispatch), m_bAutoRelease(TRUE)
{
    if (m_lpDispatch)
        m_lpDispatch->AddRef();
}

COleDispatchDriver& COleDispatchDriver::operator=(const COleDispatchDriver& other)
{
    if (this != &other)
    {
        if (other.m_lpDispatch)
            other.m_lpDispatch->AddRef();
        ReleaseDispatch();
        m_lpDispatch = other.m_lpDispatch;
        m_bAutoRelease = TRUE;
    }
    return *this;
}

BOOL COleDispatchDriver::CreateDispatch(LPCWSTR lpszProgID, COleException* pError)
{
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(lpszProgID, &clsid);
    if (FAILED(hr))
    {
        if (pError)
            pError->m_sc = hr;
        return FALSE;
    }
    return CreateDispatch(clsid, pError);
}

BOOL COleDispatchDriver::CreateDispatch(REFCLSID clsid, COleException* pError)
{
    ReleaseDispatch();
    IDispatch* pDispatch = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch,
                                  reinterpret_cast<void**>(&pDispatch));
    if (FAILED(hr))
    {
        if (pError)
            pError->m_sc = hr;
        return FALSE;
    }
    AttachDispatch(pDispatch, TRUE);
    return TRUE;
}

void COleDispatchDriver::AttachDispatch(IDispatch* lpDispatch, BOOL bAutoRelease)
{
    ReleaseDispatch();
    m_lpDispatch = lpDispatch;
    m_bAutoRelease = bAutoRelease;
}

IDispatch* COleDispatchDriver::DetachDispatch()
{
    IDispatch* p = m_lpDispatch;
    m_lpDispatch = nullptr;
    return p;
}

void COleDispatchDriver::ReleaseDispatch()
{
    if (m_lpDispatch && m_bAutoRelease)
        m_lpDispatch->Release();
    m_lpDispatch = nullptr;
}

COleVariant COleDispatchDriver::Invoke(DISPID dwDispID, WORD wFlags,
                                       std::initializer_list<COleVariant> args)
{
    if (!m_lpDispatch)
        AfxThrowOleException(E_POINTER);
    // IDispatch takes the arguments last first.
    std::vector<VARIANTARG> reversed(args.begin(), args.end());
    for (size_t i = 0, n = reversed.size(); i < n / 2; ++i)
        std::swap(reversed[i], reversed[n - 1 - i]);
    DISPPARAMS params = {};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    DISPID putId = DISPID_PROPERTYPUT;
    if (wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
    {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    COleVariant result;
    EXCEPINFO info = {};
    UINT argError = 0;
    // A method that is also a property getter (Item, Range) is called as both, as servers expect.
    if (wFlags == DISPATCH_PROPERTYGET)
        wFlags |= DISPATCH_METHOD;
    HRESULT hr = m_lpDispatch->Invoke(
        dwDispID, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params,
        (wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) ? nullptr : &result, &info,
        &argError);
    if (hr == DISP_E_EXCEPTION)
    {
        if (info.pfnDeferredFillIn)
            info.pfnDeferredFillIn(&info);
        auto* e = new COleDispatchException(info.bstrDescription, info.dwHelpContext, info.wCode);
        e->m_scError = info.scode ? info.scode : DISP_E_EXCEPTION;
        e->m_strSource = info.bstrSource;
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
        throw e;
    }
    if (FAILED(hr))
        AfxThrowOleException(hr);
    return result;
}

DISPID COleDispatchDriver::GetDispID(LPCWSTR pszName)
{
    if (!m_lpDispatch)
        AfxThrowOleException(E_POINTER);
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR name = const_cast<LPOLESTR>(pszName);
    HRESULT hr = m_lpDispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        AfxThrowOleException(hr);
    return id;
}
