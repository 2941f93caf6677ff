// The module's instance and resource handles.
#include "framework/module_state.h"

namespace {

HINSTANCE g_instance = nullptr;
HINSTANCE g_resources = nullptr;

} // namespace

HINSTANCE AfxGetInstanceHandle()
{
    return g_instance ? g_instance : GetModuleHandleW(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return g_resources ? g_resources : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE hInstResource)
{
    g_resources = hInstResource;
}

void AfxSetInstanceHandle(HINSTANCE hInstance)
{
    g_instance = hInstance;
}

HINSTANCE AfxFindResourceHandle(LPCTSTR lpszName, LPCTSTR lpszType)
{
    HINSTANCE resources = AfxGetResourceHandle();
    if (FindResourceW(resources, lpszName, lpszType))
        return resources;
    return AfxGetInstanceHandle();
}
