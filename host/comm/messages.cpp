// The common library's string table: every user-visible text, looked up by message number.
#include "host/comm/messages.h"

#include <algorithm>
#include <iterator>

namespace {

struct Message {
    unsigned number;
    const char* text;
};

// Sorted by number; lookUpMessage relies on the order (binary search).
// Texts are fetched with a 150-byte limit (3108 with 500), so each stays below it.
// A text without conversions holds no '%': many are shown without formatting.
const Message kMessages[] = {
    // 1021: OK (or Exit) button caption of every dialog
    {1021, "&OK"},
    // 1022: Cancel button caption of every dialog and of the dial wait window
    {1022, "&Cancel"},
    // 1023: Help button caption of every dialog
    {1023, "&Help"},

    // 3100: new location: a location of that name exists and is overwritten (no arguments)
    {3100, "A location with this name already exists. Its phone number will be replaced."},
    // 3101: dial-up settings: OK without a selected dial-up profile (no arguments)
    {3101, "Please select a dial-up profile."},
    // 3102: dial wait window: progress before the port is open (no arguments)
    {3102, "Starting the dial-up connection..."},
    // 3103: dial wait window: port opened, dialing (no arguments)
    {3103, "Dialing..."},
    // 3104: dial wait window: authenticating or logging on to the network (no arguments)
    {3104, "Verifying user name and password..."},
    // 3105: caption of the dial-up dialog, the wait window and their message boxes
    {3105, "Dial-Up Networking:"},
    // 3106: question after a cancelled or dropped call: try again? (no arguments)
    {3106, "The dial-up connection was not made. Do you want to try again?"},
    // 3107: the dial-up call was refused (error code, dial-up profile name)
    {3107, "Dial-up error %d: the profile \"%s\" could not be dialed."},
    // 3108: dial-up dialog explanation (application name); fetched with limit 500
    {3108, "%s is currently attempting to establish a connection to the mail server.  "
           "If you wish to use dial-up networking to establish this connection, please "
           "complete the form below and press Ok, otherwise press Cancel."},
    // 3109: dial-up dialog label of the dial-up profile list
    {3109, "Dial-Up &Profile:"},
    // 3110: dial-up dialog label of the location list
    {3110, "&Location:"},
    // 3111: dial-up dialog label of the phone number box
    {3111, "Phone &Number:"},
    // 3112: dial-up dialog button that opens the new-location dialog
    {3112, "&Define New Location"},
    // 3113: dial-up dialog label of the user name box
    {3113, "&User Name:"},
    // 3114: dial-up dialog label of the password box
    {3114, "Pass&word:"},
    // 3115: dial-up dialog button that switches this dialer off
    {3115, "&Disable the use of this dialer"},
    // 3116: caption of the new-location dialog and of its message box
    {3116, "New Location:"},
    // 3117: new-location dialog label of the location name box
    {3117, "Location:"},
    // 3118: new-location dialog label of the phone number box
    {3118, "Phone Number:"},

    // 3600: caption of every multi-session message box (application name)
    {3600, "%s - Multi-Session"},
    // 3601: the profile key cannot be opened or created (profile name)
    {3601, "The profile \"%s\" could not be opened or created."},
    // 3602: a member key cannot be created while renumbering (member key name, e.g. Login2)
    {3602, "The profile member %s could not be created."},
    // 3603: question before removing a member (number, user name and interface of the entry)
    {3603, "Remove the member \"%s\" from this profile?"},
    // 3604: a member key cannot be deleted (registry error code)
    {3604, "The member could not be removed (error %ld)."},
    // 3605: question on leaving a profile without members: delete it? (no arguments)
    {3605, "This profile has no members. Do you want to delete it?"},
    // 3606: the new profile password and its confirmation differ (no arguments)
    {3606, "The password and its confirmation do not match."},
    // 3607: warning after the members changed during a session (no arguments)
    {3607, "The profile members have changed. The changes take effect when you next log in."},
    // 3608: log-in: the profile key cannot be opened (profile name); 3609 may follow
    {3608, "The profile \"%s\" could not be opened."},
    // 3609: appended to 3608 to ask for the configuration dialog (no arguments)
    {3609, "\n\nDo you want to configure the profile now?"},
    // 3610: log-in: the profile has no members (profile name); 3611 may follow
    {3610, "The profile \"%s\" has no members."},
    // 3611: appended to 3610 to ask for the configuration dialog (no arguments)
    {3611, "\n\nDo you want to add members now?"},
    // 3612: log-in: a member has no interface (Login number, user name)
    {3612, "Profile member %u (%s) has no interface and was skipped."},
    // 3613: member authentication failed (interface name, user name)
    {3613, "Log-in through the interface \"%s\" failed for user \"%s\"."},
    // 3614: description of this interface, copied as it is (no arguments)
    {3614, "Multi-Session Interface"},
    // 3615: Internet-interface list entry that stands for no interface (no arguments)
    {3615, "(None)"},
    // 3616: the host's log-in prompt number 0, copied as it is (no arguments)
    {3616, "Profile Name:"},
    // 3617: caption of the profile dialog
    {3617, "Multi-Session Profile"},
    // 3618: profile dialog label of the password box
    {3618, "Profile Login &Password:"},
    // 3619: profile dialog label of the password confirmation box
    {3619, "Confirm Profile Password:"},
    // 3620: profile dialog label of the Internet-interface list
    {3620, "Default Interface for &Internet Recipients is:"},
    // 3621: profile dialog Edit button
    {3621, "&Edit"},
    // 3622: profile dialog Add button
    {3622, "&Add"},
    // 3623: profile dialog Remove button
    {3623, "&Remove"},
    // 3624: profile dialog button that moves a member up
    {3624, "&Up"},
    // 3625: profile dialog button that moves a member down
    {3625, "&Dn"},
    // 3626: caption of the member dialog
    {3626, "Multi-Session Profile Member:"},
    // 3627: member dialog label of the user name box
    {3627, "&User Name:"},
    // 3628: member dialog label of the password box
    {3628, "&Password:"},
    // 3629: member dialog label of the interface list
    {3629, "&Interface:"},
    // 3630: member dialog label of the mail database box
    {3630, "Mail &Database:"},
    // 3631: member dialog button that opens the interface's own configuration
    {3631, "Interface Options"},
    // 3632: Add on a profile that already holds the most members (that number, 49)
    {3632, "This profile already holds %u members, the most it can hold. Remove a member "
           "before you add another one."},
};

}  // namespace

const char* lookUpMessage(unsigned number)
{
    const auto end = std::end(kMessages);
    const auto it = std::lower_bound(std::begin(kMessages), end, number,
        [](const Message& m, unsigned n) { return m.number < n; });
    return it != end && it->number == number ? it->text : nullptr;
}
