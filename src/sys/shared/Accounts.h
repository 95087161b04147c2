#pragma once
#include <windows.h>

// The accounts whose rights are no other user's: the administrators, the system, the installer
// service, the account this program runs as and the owner its token gives what it makes. The
// user-control checks of paths and the single instance's mutex ask here.
bool IsTrustedAccount(PSID Sid);
