// Loading libraries and resolving their entry points.
//
// Failures give the system's error code through `error` (Win32: the last error,
// read before anything else can change it; POSIX: 126 when the library cannot
// be loaded, 127 when the entry point is missing), so the codes the plug-in
// reports are the same on both targets.
//
// The POSIX backend accepts paths with either separator and resolves each path
// component without regard to case when the exact name does not exist, so a
// directory found in a lower-cased copy of a module path still opens.
#pragma once

#include <cstdint>
#include <string>

namespace avex::platform {

using LibraryHandle = void*;

// Full path of the loaded module whose file name is `moduleName` (compared
// without regard to case); false when no such module is loaded.
bool ModuleFileName(const std::string& moduleName, std::string* path);

// Full path of the module that holds this code (the plug-in, or the program
// that links it statically).
bool OwnModuleFileName(std::string* path);

// Loads a library; null on failure with `error` set. The caller owns the
// handle and gives it back with CloseLibrary.
LibraryHandle OpenLibrary(const std::string& path, uint32_t* error);

// Address of an entry point by name or by ordinal; null on failure with
// `error` set. POSIX libraries have no ordinals: always null there, error 127.
void* LibrarySymbol(LibraryHandle library, const char* name, uint32_t* error);
void* LibraryOrdinal(LibraryHandle library, uint16_t ordinal, uint32_t* error);

// Unloads a library opened by OpenLibrary; null is ignored. Never call it from
// a global destructor (it would run under the system loader lock).
void CloseLibrary(LibraryHandle library);

}  // namespace avex::platform
