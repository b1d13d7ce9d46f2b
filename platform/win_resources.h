// Resources of the running program file, and the module calls around them.
// The program file is this ELF executable followed by a resource bundle
// (platform/resource_bundle.h); the file is mapped read-only once.
#pragma once

#include "platform/win_types.h"

// Looks a resource up by id (MAKEINTRESOURCEA) and type (a name such as "PATCH",
// compared without case, or MAKEINTRESOURCEA(n)). Only the program's own module
// (null or GetModuleHandleA(nullptr)) has resources; string resource names are not
// supported. Returns null when there is none, or when the bundle is damaged.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
// The resource's bytes as a global handle; null for a null or stale HRSRC.
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// Size in bytes; 0 for a null or stale HRSRC.
DWORD SizeofResource(HMODULE module, HRSRC resource);
// Pointer to the resource's read-only bytes (the mapping of the program file).
LPVOID LockResource(HGLOBAL global);
// Nothing to free: the bytes belong to the mapping. Always FALSE, as on the platform.
BOOL FreeResource(HGLOBAL global);

// The program's own module; names other than null are not supported (null result).
HMODULE GetModuleHandleA(LPCSTR moduleName);
// Full path of the program file, cut to the buffer (which is always terminated).
// Returns the number of bytes copied without the terminator; 0 on failure.
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);

// Not part of the platform: makes another file the program file whose resources
// are served (tests and in-process start-up of built program files). An empty
// path goes back to the running executable.
void SetProgramFileForResources(const char* path);

// Not part of the platform: resources compiled into the player (dialog templates,
// cursor, icons). They are searched after the bundle. The bytes must outlive the
// process's use of them (static data).
void AddBuiltinResource(LPCSTR type, WORD id, const void* bytes, DWORD size);
