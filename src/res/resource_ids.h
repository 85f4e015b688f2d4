// Numbers of the program's resources and of the controls in its dialogs, shared by the
// resource script and the code that loads them.
#pragma once

#define LARK_IDI_MAIN 1
#define LARK_IDD_INPUT_BOX 100
#define LARK_IDC_INPUT_PROMPT 100
#define LARK_IDC_INPUT_TEXT 101
