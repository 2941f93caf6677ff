// Late-bound OLE automation: a driver for IDispatch objects called by DISPID, the VARIANT
// wrapper it passes, and the exceptions that report failed calls.
//
// Arguments are given in the order the method declares them (the driver reverses them for
// IDispatch::Invoke); an argument left out is OmittedArgument(), which the server reads as
// "not given" (VT_ERROR with DISP_E_PARAMNOTFOUND).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>

#include "framework/exceptions.h"
#include "framework/text_string.h"

// A VARIANT that frees what it holds; strings are held as BSTR.
class COleVariant : public VARIANT
{
public:
    COleVariant() { VariantInit(this); }
    COleVariant(const VARIANT& src);
    COleVariant(const COleVariant& src);
    COleVariant(LPCWSTR pszText);
    COleVariant(const CString& text) : COleVariant(text.GetString()) {}
    // VT_I4, VT_I2 or VT_ERROR by vtSrc; VT_BOOL from a bool.
    COleVariant(long lSrc, VARTYPE vtSrc = VT_I4);
    COleVariant(int nSrc) : COleVariant(static_cast<long>(nSrc)) {}
    COleVariant(bool bSrc);
    COleVariant(double dblSrc);
    // Takes an added reference to the object.
    COleVariant(IDispatch* pDispatch);
    ~COleVariant() { VariantClear(this); }

    COleVariant& operator=(const VARIANT& src);
    COleVariant& operator=(const COleVariant& src)
    {
        return *this = static_cast<const VARIANT&>(src);
    }

    void Clear() { VariantClear(this); }
    // Releases ownership: the caller frees the value.
    VARIANT Detach();
    // The value changed to another type in place; throws COleException on failure.
    void ChangeType(VARTYPE vartype);
};

// An optional argument that is not given.
COleVariant OmittedArgument();

// A failed COM call: the HRESULT and the system's text for it.
class COleException : public CException
{
    DECLARE_DYNAMIC(COleException)
public:
    explicit COleException(SCODE sc = S_OK) : m_sc(sc) {}
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                         PUINT pnHelpContext = nullptr) const override;
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) override;

    SCODE m_sc;
};

// A failure the automation server (or the program) described: the description is the message.
class COleDispatchException : public CException
{
    DECLARE_DYNAMIC(COleDispatchException)
public:
    COleDispatchException(LPCTSTR lpszDescription, UINT nHelpID, WORD wCode);
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                         PUINT pnHelpContext = nullptr) const override;
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) override;

    WORD m_wCode = 0;
    SCODE m_scError = S_OK;
    CString m_strSource;
    CString m_strDescription;
    DWORD m_dwHelpContext = 0;
};

[[noreturn]] void AfxThrowOleException(SCODE sc);
[[noreturn]] void AfxThrowOleDispatchException(WORD wCode, LPCTSTR lpszDescription,
                                               UINT nHelpID = 0);
// The same with the text of a string resource (falling back to the number when it is missing).
[[noreturn]] void AfxThrowOleDispatchException(WORD wCode, UINT nDescriptionID, UINT nHelpID = 0);

class COleDispatchDriver
{
public:
    COleDispatchDriver() {}
    // Wraps an interface pointer; with bAutoRelease the driver releases it when done.
    explicit COleDispatchDriver(IDispatch* lpDispatch, BOOL bAutoRelease = TRUE)
        : m_lpDispatch(lpDispatch), m_bAutoRelease(bAutoRelease)
    {}
    // A copy holds its own reference.
    COleDispatchDriver(const COleDispatchDriver& other);
    COleDispatchDriver& operator=(const COleDispatchDriver& other);
    ~COleDispatchDriver() { ReleaseDispatch(); }

    // Creates the object by program id ("Excel.Application") or class id, in any server
    // context. FALSE on failure, with the HRESULT in pError when given.
    BOOL CreateDispatch(LPCWSTR lpszProgID, COleException* pError = nullptr);
    BOOL CreateDispatch(REFCLSID clsid, COleException* pError = nullptr);
    void AttachDispatch(IDispatch* lpDispatch, BOOL bAutoRelease = TRUE);
    IDispatch* DetachDispatch();
    void ReleaseDispatch();

    // IDispatch::Invoke with the arguments in declared order; a put passes its one argument as
    // the named DISPID_PROPERTYPUT. A failure throws COleDispatchException (the server's own
    // description, DISP_E_EXCEPTION) or COleException.
    COleVariant Invoke(DISPID dwDispID, WORD wFlags, std::initializer_list<COleVariant> args = {});
    COleVariant GetProperty(DISPID dwDispID) { return Invoke(dwDispID, DISPATCH_PROPERTYGET); }
    void SetProperty(DISPID dwDispID, const COleVariant& value)
    {
        Invoke(dwDispID, DISPATCH_PROPERTYPUT, {value});
    }
    // The DISPID of a member by name (IDispatch::GetIDsOfNames); throws COleException.
    DISPID GetDispID(LPCWSTR pszName);

    IDispatch* m_lpDispatch = nullptr;
    BOOL m_bAutoRelease = TRUE;
};
