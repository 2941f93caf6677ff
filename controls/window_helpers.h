// Helpers that create child windows over the framework, and the context-menu position.
#pragma once

#include "framework/ui.h"

// Creates `window` as a child of `parent` with the given class, style, rectangle and control id.
// A null class name uses a class of our own with CS_HREDRAW | CS_VREDRAW, no cursor, the
// COLOR_WINDOW background and no icon. False when the window could not be created.
bool CreateWindowOfClass(CWnd* window, LPCTSTR className, DWORD style, const RECT& rect,
                         CWnd* parent, UINT id);

// Creates `combo` as a "COMBOBOX" over a list cell: the rectangle's top moves up one pixel when
// it is positive and its bottom moves down by four cell heights (room for the drop-down list);
// the combo box gets the parent's font. False when creation failed, in which case an object
// that deletes itself with its window is already gone.
bool CreateInPlaceComboBox(CWnd* combo, DWORD style, const RECT& cellRect, CWnd* parent, UINT id);

// Keeps a screen point that lies in the window's client area; any other point (a context menu
// asked for from the keyboard comes with -1, -1) becomes the centre of the client area, in
// screen coordinates.
void GetContextMenuPoint(CWnd* window, int& x, int& y);
void GetContextMenuPoint(CWnd* window, CPoint& point);
