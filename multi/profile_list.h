// The profile dialog's lists: the member list rebuilt from the registry (renumbering the
// members without gaps), the box of the interface for Internet recipients, and the swap
// of two members behind Up and Dn.
#pragma once

#include <windows.h>

#include "multi/dialog_support.h"

namespace qpmulti {

// The private message the profile dialog sends itself to reload its lists.
constexpr UINT kRebuildMessage = 0x5400;

// Renumbers the profile's members to Login1..Logink in their order (deleting member keys
// without a user name), lists them, selects the first, and fills the Internet-interface
// box. On a registry failure it shows the message and ends the dialog with 0.
void rebuildProfileLists(HWND dialog, const ProfileDialogRecord& record);

// Swaps members `a` and `b` through the temporary key Login1001, which is gone afterwards.
// Nothing is written unless both members can be read; false when a write failed.
bool swapMembers(const char* profileName, unsigned a, unsigned b);

// Stores the interface chosen in the Internet-interface box at once; the entry that
// stands for none deletes the setting.
void storeInternetInterface(HWND dialog, const ProfileDialogRecord& record);

}  // namespace qpmulti
