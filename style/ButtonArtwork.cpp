#include "ButtonArtwork.h"
