#include "ID3Parser.h"
