#include "platform/win_api.h"
#include "shell/startup.h"

int main(int argc, char** argv) { return RunWinMain(argc, argv, &WINAPI_WinMain); }
