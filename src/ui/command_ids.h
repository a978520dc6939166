#pragma once
// Command and control ids of the main window. The numbers are the program's own command table
// (menus, tool bar, accelerators, status-bar panes) and window layouts; other parts of the
// program and the saved tool-bar state refer to them, so they never change.

#include <wx/defs.h>

#include <initializer_list>

// Menu, tool-bar and accelerator commands, and the two status-bar panes the view fills.
enum CommandId : int {
    CMD_STOP = 32771,
    CMD_START = 32772,
    CMD_PAUSE = 32773,
    CMD_RECORD = 32774,
    CMD_ABORT = 32775,
    CMD_SESSION_FINISHED = 32776,  // posted by the session thread, never on a menu
    CMD_VIEW_OUTPUT = 32777,
    CMD_OPTIONS = 32778,
    CMD_USE_CAPS = 32779,
    CMD_USER_MANUAL = 32780,
    CMD_VIEW_CODES = 32781,
    CMD_PRODUCT_PAGE = 32782,
    CMD_MAKER_PAGE = 32783,
    CMD_DONATE = 32785,
    CMD_SOURCE_KOCH = 32786,
    CMD_SOURCE_TEXT_FILE = 32787,
    CMD_SOURCE_QSO_REAL = 32788,
    CMD_SOURCE_CHARSET = 32789,
    CMD_SOURCE_ABBREVIATIONS = 32790,
    CMD_SOURCE_Q_CODES = 32791,
    CMD_SOURCE_WORDS = 32792,
    CMD_SOURCE_QSO_PLAIN = 32793,
    CMD_SOURCE_TYPED_TEXT = 32794,
    CMD_SOURCE_LINE_FILE = 32795,
    // Commands added later: free numbers after the last original command, in the order added.
    CMD_VIEW_LAST_RESULTS = 32796,  // the last session's results again, until the next starts

    CMD_COPY = 57634,
    CMD_CUT = 57635,
    CMD_PASTE = 57637,
    CMD_UNDO = 57643,
    CMD_ABOUT = 57664,
    CMD_EXIT = 57665,
    CMD_HELP = 57670,
    CMD_NEXT_PANE = 57680,
    CMD_PREV_PANE = 57681,

    CMD_PANE_TIME = 59142,
    CMD_PANE_COUNT = 59143,
    CMD_VIEW_TOOLBAR = 59392,
    CMD_VIEW_STATUS_BAR = 59393,
};

// Controls of the view, the control bar and the countdown dialog.
enum ControlId : int {
    IDC_CANCEL_COMMAND = 2,  // the cancel command an edit control issues on Escape
    IDC_CHAR_SPEED = 2001,
    IDC_WORD_SPEED = 2002,
    IDC_VOLUME = 2003,
    IDC_PITCH = 2004,
    IDC_CHARACTERS_USED = 2005,
    IDC_CHARACTERS_USED_SPIN = 2007,
    IDC_OUTPUT_PANE = 2009,
    IDC_COPY_PANE = 2011,
    IDC_DELAY_LABEL = 2028,
    IDC_DELAY_PROGRESS = 2029,
    IDC_CODE_TABLE_CLICK = 2031,
    IDC_SPEED_UNIT = 2044,
};

// The commands the frame routes to the view first: everything on a menu, the tool bar or an
// accelerator.
inline constexpr std::initializer_list<int> kRoutedCommands = {
    CMD_STOP,
    CMD_START,
    CMD_PAUSE,
    CMD_RECORD,
    CMD_ABORT,
    CMD_VIEW_OUTPUT,
    CMD_OPTIONS,
    CMD_USE_CAPS,
    CMD_USER_MANUAL,
    CMD_VIEW_CODES,
    CMD_PRODUCT_PAGE,
    CMD_MAKER_PAGE,
    CMD_DONATE,
    CMD_SOURCE_KOCH,
    CMD_SOURCE_TEXT_FILE,
    CMD_SOURCE_QSO_REAL,
    CMD_SOURCE_CHARSET,
    CMD_SOURCE_ABBREVIATIONS,
    CMD_SOURCE_Q_CODES,
    CMD_SOURCE_WORDS,
    CMD_SOURCE_QSO_PLAIN,
    CMD_SOURCE_TYPED_TEXT,
    CMD_SOURCE_LINE_FILE,
    CMD_VIEW_LAST_RESULTS,
    CMD_COPY,
    CMD_CUT,
    CMD_PASTE,
    CMD_UNDO,
    CMD_ABOUT,
    CMD_EXIT,
    CMD_HELP,
    CMD_NEXT_PANE,
    CMD_PREV_PANE,
    CMD_VIEW_TOOLBAR,
    CMD_VIEW_STATUS_BAR,
};

constexpr bool IsRoutedCommand(int id) {
    for (int command : kRoutedCommands)
        if (command == id) return true;
    return false;
}

// wx takes menu item and window ids only up to 0x7FFF (a limit of some platforms), but the
// command numbers reach 59393; a menu item (or a button issuing a command) therefore carries its
// command number less this offset, and the frame turns it back into the command before routing.
constexpr int kMenuIdOffset = 0x7000;
constexpr int MenuItemId(int command) {
    return command - kMenuIdOffset;
}
// The command a menu event or menu update stands for (0 when none).
constexpr int CommandOfEventId(int id) {
    if (IsRoutedCommand(id)) return id;
    if (IsRoutedCommand(id + kMenuIdOffset)) return id + kMenuIdOffset;
    return 0;
}
// No two commands share a number: a menu item would reach the wrong handler.
constexpr bool AllDistinct(std::initializer_list<int> ids) {
    for (const int* a = ids.begin(); a != ids.end(); ++a)
        for (const int* b = a + 1; b != ids.end(); ++b)
            if (*a == *b) return false;
    return true;
}
static_assert(AllDistinct(kRoutedCommands));
static_assert(!IsRoutedCommand(CMD_SESSION_FINISHED) && !IsRoutedCommand(CMD_PANE_TIME) &&
              !IsRoutedCommand(CMD_PANE_COUNT));

static_assert(MenuItemId(CMD_STOP) > 0 && MenuItemId(CMD_VIEW_STATUS_BAR) < 0x7FFF);
// Menu item ids and command numbers never meet, so a menu item id is never taken for a command.
static_assert(MenuItemId(CMD_VIEW_STATUS_BAR) < CMD_STOP);

// wx reserves wxID_LOWEST..wxID_HIGHEST for its stock ids; none of ours may fall in it.
constexpr bool OutsideWxReservedRange(std::initializer_list<int> ids) {
    for (int id : ids)
        if (id >= wxID_LOWEST && id <= wxID_HIGHEST) return false;
    return true;
}
static_assert(OutsideWxReservedRange(kRoutedCommands));
static_assert(MenuItemId(CMD_VIEW_LAST_RESULTS) < wxID_LOWEST &&
              MenuItemId(CMD_COPY) > wxID_HIGHEST);
static_assert(OutsideWxReservedRange({CMD_SESSION_FINISHED, CMD_PANE_TIME, CMD_PANE_COUNT}));
static_assert(OutsideWxReservedRange({IDC_CANCEL_COMMAND, IDC_CHAR_SPEED, IDC_WORD_SPEED,
                                      IDC_VOLUME, IDC_PITCH, IDC_CHARACTERS_USED,
                                      IDC_CHARACTERS_USED_SPIN, IDC_OUTPUT_PANE, IDC_COPY_PANE,
                                      IDC_DELAY_LABEL, IDC_DELAY_PROGRESS, IDC_CODE_TABLE_CLICK,
                                      IDC_SPEED_UNIT}));
