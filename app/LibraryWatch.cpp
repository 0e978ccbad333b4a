#include "LibraryWatch.h"
