// CObject, the root of the framework's classes, and run-time class information:
// DECLARE_DYNAMIC / IMPLEMENT_DYNAMIC give a class its CRuntimeClass (name, size, base class),
// DECLARE_DYNCREATE / IMPLEMENT_DYNCREATE add creation by class, RUNTIME_CLASS names it.
#pragma once

#include <windows.h>

#include "framework/debug.h"

class CObject;
class CArchive;
class CDumpContext;

struct CRuntimeClass
{
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;                  // 0xFFFF for classes that are not serializable
    CObject* (*m_pfnCreateObject)(); // null for classes without DECLARE_DYNCREATE
    CRuntimeClass* m_pBaseClass;     // null only for CObject

    // A new object of this class, or null when the class cannot be created dynamically.
    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;

    // Classes declared with IMPLEMENT_DYNAMIC and kin, looked up by name.
    static CRuntimeClass* FromName(LPCSTR lpszClassName);
    static CRuntimeClass* FromName(LPCWSTR lpszClassName);
    static CObject* CreateObject(LPCSTR lpszClassName);
    static CObject* CreateObject(LPCWSTR lpszClassName);
};

// Registers a class for CRuntimeClass::FromName (one static object per IMPLEMENT_ macro).
struct AFX_CLASSINIT
{
    explicit AFX_CLASSINIT(CRuntimeClass* pNewClass);
};

// Debug dump output; written to the debugger in debug builds and discarded otherwise.
class CDumpContext
{
public:
    CDumpContext& operator<<(LPCSTR text);
    CDumpContext& operator<<(LPCWSTR text);
    CDumpContext& operator<<(const void* p);
    CDumpContext& operator<<(long long n);
    CDumpContext& operator<<(unsigned long long n);
    CDumpContext& operator<<(int n) { return *this << static_cast<long long>(n); }
    CDumpContext& operator<<(UINT n) { return *this << static_cast<unsigned long long>(n); }
    CDumpContext& operator<<(long n) { return *this << static_cast<long long>(n); }
    CDumpContext& operator<<(unsigned long n)
    {
        return *this << static_cast<unsigned long long>(n);
    }
    CDumpContext& operator<<(double d);
    int GetDepth() const { return m_nDepth; }
    void SetDepth(int nNewDepth) { m_nDepth = nNewDepth; }
    void Flush() {}

private:
    int m_nDepth = 0;
};

extern CDumpContext afxDump;

#define RUNTIME_CLASS(class_name) (const_cast<CRuntimeClass*>(&class_name::class##class_name))

class CObject
{
public:
    static const CRuntimeClass classCObject;
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    virtual void Serialize(CArchive& ar);
    virtual void AssertValid() const;
    virtual void Dump(CDumpContext& dc) const;

    BOOL IsSerializable() const;
    BOOL IsKindOf(const CRuntimeClass* pClass) const;

protected:
    CObject() = default;

private:
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

#define DECLARE_DYNAMIC(class_name)                                                                \
public:                                                                                            \
    static const CRuntimeClass class##class_name;                                                  \
    virtual CRuntimeClass* GetRuntimeClass() const;

#define DECLARE_DYNCREATE(class_name)                                                              \
    DECLARE_DYNAMIC(class_name)                                                                    \
    static CObject* PASCAL CreateObject();

#define IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew)                       \
    const CRuntimeClass class_name::class##class_name = {                                          \
        #class_name, sizeof(class class_name), wSchema, pfnNew, RUNTIME_CLASS(base_class_name)};   \
    CRuntimeClass* class_name::GetRuntimeClass() const                                             \
    {                                                                                              \
        return RUNTIME_CLASS(class_name);                                                          \
    }                                                                                              \
    static AFX_CLASSINIT _init_##class_name(RUNTIME_CLASS(class_name));

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                             \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                           \
    CObject* PASCAL class_name::CreateObject()                                                     \
    {                                                                                              \
        return new class_name;                                                                     \
    }                                                                                              \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

// The object as the given class, or null when it is null or of another class.
CObject* AfxDynamicDownCast(CRuntimeClass* pClass, CObject* pObject);

#define DYNAMIC_DOWNCAST(class_name, object)                                                       \
    (static_cast<class_name*>(AfxDynamicDownCast(RUNTIME_CLASS(class_name), (object))))
#define STATIC_DOWNCAST(class_name, object) (static_cast<class_name*>(object))
