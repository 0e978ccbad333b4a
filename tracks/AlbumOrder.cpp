#include "AlbumOrder.h"
