// Numbers of the program's resources and of the controls in its dialogs, shared by the
// resource script and the code that loads them.
#pragma once

#define LARK_IDI_MAIN 1
#define LARK_IDD_INPUT_BOX 100
#define LARK_IDC_INPUT_PROMPT 100
#define LARK_IDC_INPUT_TEXT 101

// "Restore Selected": what one backup holds, each item with a check box.
#define LARK_IDD_SELECTED 110
#define LARK_IDC_SEL_INTRO 111
#define LARK_IDC_SEL_LIST 112
#define LARK_IDC_SEL_NOTE 113
// The backup chooser, before a restore from a backup folder that keeps several backups.
#define LARK_IDD_BACKUPS 120
#define LARK_IDC_BK_INTRO 121
#define LARK_IDC_BK_LIST 122
// Check Backups: what is being read, while it is read.
#define LARK_IDD_CHECK 130
#define LARK_IDC_CHECK_INTRO 131
#define LARK_IDC_CHECK_BACKUP 132
#define LARK_IDC_CHECK_FILE 133
#define LARK_IDC_CHECK_BAR 134
#define LARK_IDC_CHECK_BYTES 135
// "Schedule Backups...": the scheduled task, its state and the newest backup.
#define LARK_IDD_SCHEDULE 150
#define LARK_IDC_SCH_OFF 151
#define LARK_IDC_SCH_DAILY 152
#define LARK_IDC_SCH_WEEKLY 153
#define LARK_IDC_SCH_LOGON 154
#define LARK_IDC_SCH_TIME 155
#define LARK_IDC_SCH_DAYS 156
#define LARK_IDC_SCH_CHECK 157
#define LARK_IDC_SCH_STATE 158
#define LARK_IDC_SCH_PASSWORD 159
// "Export Mail...": the stores of one backup with check boxes, the target folder, the format
// and the progress of the export.
#define LARK_IDD_EXPORT 140
#define LARK_IDC_EX_INTRO 141
#define LARK_IDC_EX_LIST 142
#define LARK_IDC_EX_FOLDER 143
#define LARK_IDC_EX_BROWSE 144
#define LARK_IDC_EX_EML 145
#define LARK_IDC_EX_MBOX 146
#define LARK_IDC_EX_PROGRESS 147
#define LARK_IDC_EX_STATUS 148
#define LARK_IDC_EX_LABELS 149
