#pragma once

// Resources linked into every program that uses the Win32 backend.
#define VELLORAN_IDI_ICON 1
#define VELLORAN_IDB_ADD_FILES 101
#define VELLORAN_IDB_REMOVE_DUPES 102
