// Icon resources into an image list in one call.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <initializer_list>

// Loads the icons at the list's image size and appends them in order after the images the list
// holds; an icon that does not load is left out, as ImageList_AddIcon leaves it out. Returns the
// number of images added.
int AddIconResources(HIMAGELIST hList, HINSTANCE hInstance, const UINT* pIds, size_t nCount);
inline int AddIconResources(HIMAGELIST hList, HINSTANCE hInstance, std::initializer_list<UINT> ids)
{
    return AddIconResources(hList, hInstance, ids.begin(), ids.size());
}
