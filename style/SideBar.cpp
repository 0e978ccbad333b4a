#include "SideBar.h"
