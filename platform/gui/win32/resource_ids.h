#pragma once

// Resources linked into every program that uses the Win32 backend; the
// button pictures go by their names (velloran.rc.in).
#define VELLORAN_IDI_ICON 1
