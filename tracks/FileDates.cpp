#include "FileDates.h"
