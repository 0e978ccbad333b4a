#include "UpdateWindowController.h"
