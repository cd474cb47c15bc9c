#pragma once

#include <string>

// The COM alias folder: symlinks named comN (any case) pin a device to COM number N.
// $VARNEL_COM_DIR when set, otherwise ~/.local/share/varnel-link-manager/com, the home folder being
// $HOME or, when that is unset, the password database's. "" when there is no home: no aliases then.
std::string ComAliasDir();

// The alias path for COM number n inside ComAliasDir(), in the lower-case form "comN"; "" when
// there is no alias folder.
std::string ComAliasPath(int n);
