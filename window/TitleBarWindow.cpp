#include "TitleBarWindow.h"
