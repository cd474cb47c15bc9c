#pragma once

#include <QIcon>

// The program's own icon, for every window.
QIcon VarnelIcon();
