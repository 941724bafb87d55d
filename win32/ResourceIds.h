#pragma once

// Resource ids of the program's icon and pictures (tessaro.rc).
#define IDI_RF 1
#define IDB_HOST 101
#define IDB_BASE 102
#define IDB_TERMINAL 103
// The same pictures drawn at twice the size, for denser screens.
#define IDB_HOST_2X 111
#define IDB_BASE_2X 112
#define IDB_TERMINAL_2X 113
