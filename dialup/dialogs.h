// The dial-up settings dialog ("DIAL_UP_NETWORKING"), the location dialog
// ("NEW_LOCATION") and the routines that refill parts of the settings dialog.
#pragma once

#include <windows.h>

#include "dialup/dialup_request.h"

namespace qpras {

// Help category set on every activation of both dialogs.
constexpr unsigned kDialUpHelpCategory = 155;
// Period of the settings dialog's check whether the caller has connected meanwhile.
constexpr UINT kConnectedCheckMs = 500;

// Shows the settings dialog for `request` (modal, no owner). 1: the user confirmed and
// the registry holds the choice; 0: no dial.
INT_PTR showSettingsDialog(DialUpRequest* request);

INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK locationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Refill the settings dialog: the locations of the selected profile (then phone number
// and credentials), the phone number of the selected location, the credentials Windows
// stores for the selected profile.
void FillLocations(HWND dialog);
void FillPhoneNumber(HWND dialog);
void FillCredentials(HWND dialog);

}  // namespace qpras
