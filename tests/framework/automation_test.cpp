// The late-bound dispatch driver against a small IDispatch of the test's own: argument order,
// omitted arguments, property puts, and the exceptions for failures.
#include "framework/automation.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records what Invoke received; member 1 fails with a described exception, member 2 with a
// plain HRESULT, member 3 returns the number of arguments.
class CRecorder : public IDispatch
{
public:
    std::vector<VARIANT> args; // in the order IDispatch got them (last first)
    WORD flags = 0;
    UINT namedArgs = 0;
    DISPID namedId = 0;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = (riid == IID_IUnknown || riid == IID_IDispatch) ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override
    {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override
    {
        if (wcscmp(names[0], L"Known") == 0)
        {
            ids[0] = 42;
            return S_OK;
        }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD f, DISPPARAMS* p, VARIANT* result,
                        EXCEPINFO* info, UINT*) override
    {
        flags = f;
        args.assign(p->rgvarg, p->rgvarg + p->cArgs);
        namedArgs = p->cNamedArgs;
        namedId = p->cNamedArgs ? p->rgdispidNamedArgs[0] : 0;
        if (id == 1)
        {
            info->bstrDescription = SysAllocString(L"Sheet name is not valid");
            info->scode = E_FAIL;
            return DISP_E_EXCEPTION;
        }
        if (id == 2)
            return RPC_E_WRONG_THREAD;
        if (result)
        {
            result->vt = VT_I4;
            result->lVal = static_cast<LONG>(p->cArgs);
        }
        return S_OK;
    }
};

} // namespace

TEST(Automation, ArgumentsGoLastFirstAndOmittedOnesAreParamNotFound)
{
    CRecorder server;
    COleDispatchDriver driver(&server, FALSE);
    COleVariant result = driver.Invoke(
        3, DISPATCH_METHOD, {COleVariant(L"book.xlsx"), COleVariant(51L), OmittedArgument()});
    EXPECT_EQ(VT_I4, result.vt);
    EXPECT_EQ(3, result.lVal);
    ASSERT_EQ(3u, server.args.size());
    EXPECT_EQ(VT_ERROR, server.args[0].vt);
    EXPECT_EQ(DISP_E_PARAMNOTFOUND, server.args[0].scode);
    EXPECT_EQ(VT_I4, server.args[1].vt);
    EXPECT_EQ(51, server.args[1].lVal);
    EXPECT_EQ(VT_BSTR, server.args[2].vt);
    EXPECT_STREQ(L"book.xlsx", server.args[2].bstrVal);

    driver.SetProperty(3, COleVariant(true));
    EXPECT_EQ(DISPATCH_PROPERTYPUT, server.flags);
    EXPECT_EQ(1u, server.namedArgs);
    EXPECT_EQ(DISPID_PROPERTYPUT, server.namedId);
    ASSERT_EQ(1u, server.args.size());
    EXPECT_EQ(VT_BOOL, server.args[0].vt);
    EXPECT_EQ(VARIANT_TRUE, server.args[0].boolVal);

    EXPECT_EQ(42, driver.GetDispID(L"Known"));
}

TEST(Automation, FailuresBecomeExceptionsWithTheServersText)
{
    CRecorder server;
    COleDispatchDriver driver(&server, FALSE);
    CString described;
    try
    {
        driver.Invoke(1, DISPATCH_METHOD);
    }
    catch (COleDispatchException* e)
    {
        wchar_t text[256];
        e->GetErrorMessage(text, 256);
        described = text;
        EXPECT_EQ(E_FAIL, e->m_scError);
        e->Delete();
    }
    EXPECT_EQ(CString(L"Sheet name is not valid"), described);

    SCODE sc = S_OK;
    try
    {
        driver.GetProperty(2);
    }
    catch (COleException* e)
    {
        sc = e->m_sc;
        e->Delete();
    }
    EXPECT_EQ(RPC_E_WRONG_THREAD, sc);

    sc = S_OK;
    try
    {
        driver.GetDispID(L"Unknown");
    }
    catch (COleException* e)
    {
        sc = e->m_sc;
        e->Delete();
    }
    EXPECT_EQ(DISP_E_UNKNOWNNAME, sc);

    COleDispatchDriver empty;
    EXPECT_FALSE(empty.CreateDispatch(L"No.Such.Application.Here"));
}

TEST(Automation, VariantsCopyAndConvert)
{
    COleVariant text(L"12");
    COleVariant copy = text;
    EXPECT_NE(text.bstrVal, copy.bstrVal); // a copy owns its own string
    copy.ChangeType(VT_I4);
    EXPECT_EQ(12, copy.lVal);
    COleVariant bad(L"twelve");
    bool threw = false;
    try
    {
        bad.ChangeType(VT_I4);
    }
    catch (COleException* e)
    {
        threw = true;
        e->Delete();
    }
    EXPECT_TRUE(threw);
}
