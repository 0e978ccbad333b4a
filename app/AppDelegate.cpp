#include "AppDelegate.h"

bool AppDelegate::applicationDidFinishLaunching()
{
    return true;
}
