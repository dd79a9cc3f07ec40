// Must not build: the readers sit below the engine and cannot see its headers.
#include "nesting/nester.h"
