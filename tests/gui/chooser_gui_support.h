// Reading and driving the folder chooser's lists and the shell's folder browser from
// outside the program, for the chooser and folder-command GUI tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "driver.h"

namespace lark::gui {

// The lines of a list box, in order, and the selected one (-1: none).
std::vector<std::string> ListItems(HWND list);
int ListSelection(HWND list);
// A double-click with the mouse on a line of a list box.
void DoubleClickListItem(HWND list, int index);
// The whole text of a control's tooltip (the driver's ANSI request stops at 80 characters).
std::string LongTooltipText(const Program& program, HWND owner, HWND control);
// Types text into an edit control, replacing what it held.
void TypeInto(HWND edit, const std::string& text);
// A child of the dialog whose text is exactly `text`; null when there is none.
HWND FindChildWithText(HWND dialog, const std::string& text);
HWND FindChildOfClass(HWND dialog, const std::string& className);

// Makes the folder browser select `path`, repeating the request until its tree shows the
// folder as selected (the browser fills its tree only after it appears). False on timeout.
bool SelectInFolderBrowser(const Program& program, HWND browser, const std::string& path,
                           DWORD timeoutMs = 10000);

// Registry helpers for the settings value.
void WriteSetting(const std::string& text, DWORD type = REG_SZ);
void DeleteSetting();  // the TarnKeep value only
DWORD SettingType();   // REG_NONE when the value is missing
// Waits until the setting reads `text`; false on timeout.
bool WaitForSetting(const std::string& text, DWORD timeoutMs = 5000);
// Waits until a window's text reads `text`; false on timeout.
bool WaitForText(HWND window, const std::string& text, DWORD timeoutMs = 5000);

}  // namespace lark::gui
