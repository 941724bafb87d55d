#pragma once

// Resource ids of the program's icon and pictures (tessaro.rc).
#define IDI_RF 1
#define IDB_HOST 101
#define IDB_BASE 102
#define IDB_TERMINAL 103
