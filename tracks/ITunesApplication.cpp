#include "ITunesApplication.h"
