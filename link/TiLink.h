#pragma once
// The calculator link libraries' C headers, readable from C++: they use the
// C-only keyword `restrict`.

#define restrict __restrict
#include <tifiles.h>
#include <ticables.h>
#include <ticalcs.h>
#undef restrict
