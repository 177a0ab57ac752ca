#include "platform/modules.h"

#include <dlfcn.h>
#include <link.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/file_path.h"

namespace avex::platform {
namespace {

// The codes the Win32 backend gets from the system for the same failures.
constexpr uint32_t kModuleNotFound = 126;  // ERROR_MOD_NOT_FOUND
constexpr uint32_t kProcNotFound = 127;    // ERROR_PROC_NOT_FOUND

void SetError(uint32_t* error, uint32_t code) {
  if (error) *error = code;
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

std::string FullPath(const char* path) {
  char buffer[PATH_MAX];
  if (realpath(path, buffer)) return buffer;
  return path;
}

std::string MainProgramPath() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return std::string();
  return std::string(buffer, static_cast<size_t>(n));
}

struct LoadedModule {
  std::string path;
  bool containsAddress;
};

struct IterateContext {
  uintptr_t address;
  std::vector<LoadedModule>* modules;
};

int CollectModule(struct dl_phdr_info* info, size_t, void* data) {
  auto* context = static_cast<IterateContext*>(data);
  bool first = context->modules->empty();
  bool contains = false;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = info->dlpi_phdr[i];
    if (segment.p_type != PT_LOAD) continue;
    uintptr_t start = info->dlpi_addr + segment.p_vaddr;
    if (context->address >= start && context->address < start + segment.p_memsz) contains = true;
  }
  const char* name = info->dlpi_name;
  std::string path;
  if (first && (name == nullptr || *name == '\0')) {
    path = MainProgramPath();  // the main program is listed first, without a name
  } else if (name && std::strchr(name, '/')) {
    path = FullPath(name);
  }  // else the vDSO or a nameless object: no file
  context->modules->push_back({path, contains});
  return 0;
}

std::vector<LoadedModule> LoadedModules(uintptr_t address) {
  std::vector<LoadedModule> modules;
  IterateContext context{address, &modules};
  dl_iterate_phdr(CollectModule, &context);
  return modules;
}

const char* BaseName(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return path.c_str() + (slash == std::string::npos ? 0 : slash + 1);
}

}  // namespace

bool ModuleFileName(const std::string& moduleName, std::string* path) {
  std::string wanted = moduleName;
  for (char& c : wanted) {
    if (c == '\\') c = '/';
  }
  bool byPath = wanted.find('/') != std::string::npos;
  if (byPath) wanted = FullPath(ResolveFilePath(wanted).c_str());
  for (const LoadedModule& module : LoadedModules(0)) {
    if (module.path.empty()) continue;
    bool match = byPath ? strcasecmp(module.path.c_str(), wanted.c_str()) == 0
                        : strcasecmp(BaseName(module.path), wanted.c_str()) == 0;
    if (match) {
      *path = module.path;
      return true;
    }
  }
  return false;
}

bool OwnModuleFileName(std::string* path) {
  uintptr_t self = reinterpret_cast<uintptr_t>(&OwnModuleFileName);
  for (const LoadedModule& module : LoadedModules(self)) {
    if (module.containsAddress) {
      if (module.path.empty()) return false;
      *path = module.path;
      return true;
    }
  }
  return false;
}

LibraryHandle OpenLibrary(const std::string& path, uint32_t* error) {
  if (path.empty()) {
    SetError(error, kModuleNotFound);
    return nullptr;
  }
  std::string resolved = ResolveFilePath(path);
  // A bare file name that exists here is meant as this file, not as a name
  // for the library search path.
  if (resolved.find('/') == std::string::npos && Exists(resolved)) resolved = "./" + resolved;
  void* library = dlopen(resolved.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) SetError(error, kModuleNotFound);
  return library;
}

void* LibrarySymbol(LibraryHandle library, const char* name, uint32_t* error) {
  if (!library || !name) {
    SetError(error, kProcNotFound);
    return nullptr;
  }
  dlerror();
  void* symbol = dlsym(library, name);
  if (!symbol) SetError(error, kProcNotFound);
  return symbol;
}

void* LibraryOrdinal(LibraryHandle, uint16_t, uint32_t* error) {
  SetError(error, kProcNotFound);  // ELF has no ordinals
  return nullptr;
}

void CloseLibrary(LibraryHandle library) {
  if (library) dlclose(library);
}

}  // namespace avex::platform
