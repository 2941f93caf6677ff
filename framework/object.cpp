// CObject and run-time class information.
#include "framework/object.h"

#include "framework/exceptions.h"
#include "framework/text_string.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Classes registered by the IMPLEMENT_ macros, during static initialisation.
std::vector<CRuntimeClass*>& ClassList()
{
    static std::vector<CRuntimeClass*> classes;
    return classes;
}

} // namespace

const CRuntimeClass CObject::classCObject = {"CObject", sizeof(CObject), 0xFFFF, nullptr, nullptr};
static AFX_CLASSINIT _init_CObject(RUNTIME_CLASS(CObject));

CDumpContext afxDump;

AFX_CLASSINIT::AFX_CLASSINIT(CRuntimeClass* pNewClass)
{
    ClassList().push_back(pNewClass);
}

CObject* CRuntimeClass::CreateObject() const
{
    if (!m_pfnCreateObject)
        return nullptr;
    try
    {
        return m_pfnCreateObject();
    }
    catch (CException* e)
    {
        e->Delete();
    }
    catch (...)
    {}
    return nullptr;
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const
{
    if (!pBaseClass)
        return FALSE;
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == pBaseClass)
            return TRUE;
    return FALSE;
}

CRuntimeClass* CRuntimeClass::FromName(LPCSTR lpszClassName)
{
    if (!lpszClassName)
        return nullptr;
    for (CRuntimeClass* c : ClassList())
        if (std::strcmp(c->m_lpszClassName, lpszClassName) == 0)
            return c;
    return nullptr;
}

CRuntimeClass* CRuntimeClass::FromName(LPCWSTR lpszClassName)
{
    if (!lpszClassName)
        return nullptr;
    CStringA name(lpszClassName);
    return FromName(name.GetString());
}

CObject* CRuntimeClass::CreateObject(LPCSTR lpszClassName)
{
    CRuntimeClass* c = FromName(lpszClassName);
    return c ? c->CreateObject() : nullptr;
}

CObject* CRuntimeClass::CreateObject(LPCWSTR lpszClassName)
{
    CRuntimeClass* c = FromName(lpszClassName);
    return c ? c->CreateObject() : nullptr;
}

CRuntimeClass* CObject::GetRuntimeClass() const
{
    return RUNTIME_CLASS(CObject);
}

void CObject::Serialize(CArchive&) {}

void CObject::AssertValid() const {}

void CObject::Dump(CDumpContext& dc) const
{
    dc << "a " << GetRuntimeClass()->m_lpszClassName << " at " << static_cast<const void*>(this)
       << "\n";
}

BOOL CObject::IsSerializable() const
{
    return GetRuntimeClass()->m_wSchema != 0xFFFF;
}

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}

CObject* AfxDynamicDownCast(CRuntimeClass* pClass, CObject* pObject)
{
    return pObject && pObject->IsKindOf(pClass) ? pObject : nullptr;
}

// Dump output reaches the debugger in debug builds only.
#ifdef _DEBUG
static void DumpOut(const char* text)
{
    OutputDebugStringA(text);
}
static void DumpOut(const wchar_t* text)
{
    OutputDebugStringW(text);
}
#else
static void DumpOut(const char*) {}
static void DumpOut(const wchar_t*) {}
#endif

CDumpContext& CDumpContext::operator<<(LPCSTR text)
{
    DumpOut(text ? text : "(null)");
    return *this;
}

CDumpContext& CDumpContext::operator<<(LPCWSTR text)
{
    DumpOut(text ? text : L"(null)");
    return *this;
}

CDumpContext& CDumpContext::operator<<(const void* p)
{
    char text[32];
    std::snprintf(text, sizeof text, "$%p", p);
    DumpOut(text);
    return *this;
}

CDumpContext& CDumpContext::operator<<(long long n)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lld", n);
    DumpOut(text);
    return *this;
}

CDumpContext& CDumpContext::operator<<(unsigned long long n)
{
    char text[32];
    std::snprintf(text, sizeof text, "%llu", n);
    DumpOut(text);
    return *this;
}

CDumpContext& CDumpContext::operator<<(double d)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", d);
    DumpOut(text);
    return *this;
}
