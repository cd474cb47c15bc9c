#pragma once

// Registering the simulator's device as a COM alias (a symlink "comN" in the alias folder).

#include <string>

// Claims COM `wanted` (or, when 0, the lowest free number from 5) for `target` in `dir`, creating the
// folder if needed. A link to a device that no longer exists may be replaced; a live one never is.
// Links of any number to pseudo-terminals that are gone (left by a simulator that was killed) are
// removed first.
// Returns the number, or -1 with a message in error.
int ClaimSimComLink(const std::string& dir, const std::string& target, int wanted, std::string& error);

// Removes "comN" if it still points at target.
void ReleaseSimComLink(const std::string& dir, int number, const std::string& target);
