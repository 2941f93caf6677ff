// The framework's window half: windows, message maps, dialogs, controls, drawing, the
// application object and threads. Includes the value types of "framework/core.h".
#pragma once

#include "framework/core.h"
#include "framework/module_state.h"
#include "framework/message_map.h"
#include "framework/cmd_target.h"
#include "framework/cmd_ui.h"
#include "framework/wnd.h"
#include "framework/gdi.h"
#include "framework/menu.h"
#include "framework/controls_basic.h"
#include "framework/controls_common.h"
#include "framework/dialog.h"
#include "framework/ddx.h"
#include "framework/win_thread.h"
#include "framework/win_app.h"
#include "framework/frames.h"
