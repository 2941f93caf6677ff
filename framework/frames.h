// The framework's frames, control bars and docking, property sheets and common dialogs.
#pragma once

#include "framework/command_ids.h"
#include "framework/control_bar.h"
#include "framework/dock_bar.h"
#include "framework/dock_context.h"
#include "framework/frame_wnd.h"
#include "framework/mini_frame.h"
#include "framework/mdi_frame.h"
#include "framework/tool_bar.h"
#include "framework/status_bar.h"
#include "framework/property_sheet.h"
#include "framework/file_dialog.h"
#include "framework/recent_file_list.h"
#include "framework/splitter_wnd.h"
#include "framework/html_help.h"
