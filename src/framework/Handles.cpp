// Handles.h is header-only; this unit keeps its compile checked on its own.
#include "framework/Handles.h"
