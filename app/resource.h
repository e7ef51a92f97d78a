#pragma once
// Resource ids of Setup.exe.
#define IDI_SETUP 1
#define IDB_BACKGROUND 100
