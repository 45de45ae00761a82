/* Resource names and control ids of the profile dialog "QPICLIENTCONFIGURE" and the
   member dialog "EDITPROFILEMEMBER"; shared by the resource script and the dialog code,
   so plain macros. */
#pragma once

#define QPM_PROFILE_DIALOG "QPICLIENTCONFIGURE"
#define QPM_MEMBER_DIALOG "EDITPROFILEMEMBER"

/* Buttons both dialogs share. */
#define QPM_HELP 9

/* Profile dialog. */
#define QPM_MEMBER_LIST 101
#define QPM_ADD 102
#define QPM_REMOVE 103
#define QPM_INTERNET_INTERFACE 104
#define QPM_UP 105
#define QPM_DOWN 106
#define QPM_PASSWORD 107
#define QPM_CONFIRM 108
#define QPM_CONFIRM_LABEL 109
#define QPM_EDIT 110
#define QPM_PASSWORD_LABEL 111
#define QPM_INTERNET_LABEL 112

/* Member dialog. */
#define QPM_MEMBER_USER 101
#define QPM_MEMBER_PASSWORD 102
#define QPM_MEMBER_INTERFACE 103
#define QPM_MEMBER_DATABASE 104
#define QPM_MEMBER_OPTIONS 105
#define QPM_MEMBER_PASSWORD_LABEL 110
#define QPM_MEMBER_DATABASE_LABEL 111
#define QPM_MEMBER_USER_LABEL 112
#define QPM_MEMBER_INTERFACE_LABEL 113
