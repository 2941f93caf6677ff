// The module's instance and resource handles. Both default to the executable's module; the
// application object sets them at start-up, and code may redirect resource loading elsewhere
// (for instance to a resource-only library) with AfxSetResourceHandle.
#pragma once

#include <windows.h>

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInstResource);

// Set by the application object during start-up.
void AfxSetInstanceHandle(HINSTANCE hInstance);

// The module that holds a resource of the given name and type: the resource handle when it has
// it, otherwise the instance handle.
HINSTANCE AfxFindResourceHandle(LPCTSTR lpszName, LPCTSTR lpszType);
