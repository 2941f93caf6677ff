// Resource ids of Quenlark.exe (the framework's standard ids are in framework/command_ids.h).
// One file holds every id; each part of the program keeps its ids in its own section below.
#pragma once

#define IDR_MAINFRAME 128

// ---- Application, main frame, connecting, settings -------------------------------------------

// ---- Grid windows, catalog reads, plans ------------------------------------------------------

// ---- SQL scripts, script windows, SQL query --------------------------------------------------

// ---- Exports ---------------------------------------------------------------------------------

// ---- Object browser ----------------------------------------------------------------------------

// ---- Procedures, tables dialog, join wizard, options --------------------------------------------

