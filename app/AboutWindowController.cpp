#include "AboutWindowController.h"
