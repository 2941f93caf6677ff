// The other instance a new start hands its script to, and the mark a main window carries while
// it closes: a closing instance would open the script only to close it again, so a new start
// passes it over (and starts connected, as no instance runs any more for the user).
#pragma once

#include <windows.h>

#include <vector>

namespace RunningInstance {

// The main windows (class "Quenlark") of the other processes of the program that are not
// closing, the front-most first.
std::vector<HWND> FindServing();

// Marks or unmarks a main window of this process as closing, for the other processes to see.
void MarkClosing(HWND hMainWnd, bool bClosing);
bool IsMarkedClosing(HWND hMainWnd);

} // namespace RunningInstance
