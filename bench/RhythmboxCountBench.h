#pragma once

// playcount-run against a real Rhythmbox holding n tracks (see the .cpp).
int rhythmboxPlayCountRun(int n);
