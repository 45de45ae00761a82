// For Windows tests where more than one program or library computes the registry area
// paths (the test's own profile store, QPXMULTI.DLL, QPHOST.EXE): each computes them once
// from the real network user. Storing that user as the areas' default first makes all of
// them agree on the base paths, whichever computes first.
#pragma once

#include <windows.h>
#include <winnetwk.h>

#include "multi/core/area_path.h"
#include "multi/tests/registry_fixture.h"

namespace storetest {

// Deletes both areas and recreates their base keys naming the current network user as
// the default one (when there is a network user).
inline void resetAreasForNetUser() {
  deleteAreas();
  char user[150] = "";
  DWORD size = sizeof user;
  if (WNetGetUserA(nullptr, user, &size) != NO_ERROR || user[0] == '\0') return;
  setText(qpmulti::kProfileAreaBase, qpmulti::kNetDefaultUserValue, user);
  setText(qpmulti::kClientAreaBase, qpmulti::kNetDefaultUserValue, user);
}

}  // namespace storetest
