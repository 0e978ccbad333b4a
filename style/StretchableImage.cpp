#include "StretchableImage.h"
