// The demo program for people and for the Xvfb test: type in the edits, tick the
// box, close the window; the texts are printed as code page 1252 bytes.
#include "tests/platform/demo_window.h"

namespace {

int WINAPI DemoWinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return ploxa::demo::RunDemo(instance); }

}  // namespace

int main(int argc, char** argv) { return RunWinMain(argc, argv, DemoWinMain); }
