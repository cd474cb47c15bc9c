#include "connection/model.h"

// CModel is plain data; this unit anchors its vtable in the core library.
