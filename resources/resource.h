// Resource ids of Quenlark.exe (the framework's standard ids are in framework/command_ids.h).
#pragma once

#define IDR_MAINFRAME 128
