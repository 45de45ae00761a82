// The member dialog "EDITPROFILEMEMBER": edits one member of a profile and stores it only
// after its credentials have authenticated through the session manager.
#pragma once

#include <windows.h>

#include "multi/dialog_support.h"

namespace qpmulti {

// Opens the member dialog for member record->memberNumber of record->profileName with
// `parent` as owner; 1 when the member was stored, 0 otherwise (-1 when the dialog
// could not be created).
INT_PTR EditProfileMember(HWND parent, ProfileDialogRecord* record);

}  // namespace qpmulti
