#include "UrlRequest.h"
