// Types, handles and constants of the Win32-style layer.
// Handles are opaque: their values are ids that the layer validates, never
// pointers into its own records.
#pragma once

#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = unsigned int;
using INT = int;
using BOOL = int;
using CHAR = char;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPCVOID = const void*;
// Pointer-sized on 64-bit Linux: they carry procedures, brushes and handles.
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using UINT_PTR = std::uintptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using COLORREF = DWORD;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

#define PLOXA_DECLARE_HANDLE(name) \
  struct name##__;                 \
  typedef struct name##__* name

PLOXA_DECLARE_HANDLE(HWND);
PLOXA_DECLARE_HANDLE(HINSTANCE);
PLOXA_DECLARE_HANDLE(HRSRC);
PLOXA_DECLARE_HANDLE(HFONT);
PLOXA_DECLARE_HANDLE(HBRUSH);
PLOXA_DECLARE_HANDLE(HBITMAP);
PLOXA_DECLARE_HANDLE(HICON);
PLOXA_DECLARE_HANDLE(HDC);
PLOXA_DECLARE_HANDLE(HMENU);
using HMODULE = HINSTANCE;
using HCURSOR = HICON;
using HGLOBAL = void*;
using HGDIOBJ = void*;
using HANDLE = void*;

// Resource names and types: small integers travel in the pointer's value.
inline LPSTR MAKEINTRESOURCEA(WORD id) { return reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(id)); }
inline bool IS_INTRESOURCE(LPCSTR name) { return (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0; }

#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_RCDATA MAKEINTRESOURCEA(10)
#define RT_GROUP_CURSOR MAKEINTRESOURCEA(12)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) { return DWORD{r} | (DWORD{g} << 8) | (DWORD{b} << 16); }
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }
constexpr WORD LOWORD(ULONG_PTR v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(ULONG_PTR v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
