#include "Arrow.h"
