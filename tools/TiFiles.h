#pragma once
// The calculator file library's headers are C and use the C-only keyword
// `restrict`; spell it the compiler's way while they are read.

#define restrict __restrict
#include <tifiles.h>
#undef restrict
