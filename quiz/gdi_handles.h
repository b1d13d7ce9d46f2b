// The GDI handle types the quiz record holds. Declared exactly as the platform
// layer declares them, so quiz/ needs nothing of platform/.
#pragma once

struct HFONT__;
typedef struct HFONT__* HFONT;
struct HBRUSH__;
typedef struct HBRUSH__* HBRUSH;
struct HWND__;
typedef struct HWND__* HWND;
