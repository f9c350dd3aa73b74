#include "tools/render/InstrumentBundle.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/au/AUSynthProperties.h"

namespace InstrumentBundle {

namespace {

const char* const BUNDLE_FOLDER = "Morlavine.component";
const char* const BUNDLE_BINARY = "Morlavine.so";
const char* const ENTRY = "CAUSynthEntry";

// Whether the file is a whole shared object of this machine's kind: its
// header sound and every segment the loader maps within the file. The loader
// itself maps a cut-off file without complaint and the program dies on the
// first touch of the missing part; this refuses it beforehand.
bool WholeSharedObject(const std::string& binary, off_t size, std::string& why) {
  FILE* f = std::fopen(binary.c_str(), "rb");
  if (!f) {
    why = std::strerror(errno);
    return false;
  }
  ElfW(Ehdr) header;
  bool ok = std::fread(&header, sizeof(header), 1, f) == 1 && std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0;
  if (!ok) why = "not a shared object";
  if (ok && (header.e_type != ET_DYN || header.e_phentsize != sizeof(ElfW(Phdr)) || header.e_phnum == 0)) {
    ok = false;
    why = "not a shared object of this system";
  }
  std::vector<ElfW(Phdr)> segments(ok ? header.e_phnum : 0);
  if (ok && (std::fseek(f, static_cast<long>(header.e_phoff), SEEK_SET) != 0 ||
             std::fread(segments.data(), sizeof(ElfW(Phdr)), segments.size(), f) != segments.size())) {
    ok = false;
    why = "the file is cut short";
  }
  for (const ElfW(Phdr)& s : segments) {
    if (!ok) break;
    if (s.p_offset > static_cast<uint64_t>(size) || s.p_filesz > static_cast<uint64_t>(size) - s.p_offset) {
      ok = false;
      why = "the file is cut short";
    }
  }
  std::fclose(f);
  return ok;
}

}  // namespace

std::string DefaultPath() {
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof(self) - 1);
  if (n <= 0) return std::string();
  self[n] = 0;
  std::string dir(self);
  const size_t slash = dir.find_last_of('/');
  if (slash == std::string::npos) return std::string();
  dir.resize(slash);
  return dir + "/../" + BUNDLE_FOLDER;
}

AudioComponent Load(const std::string& given, std::string& error) {
  const std::string path = given.empty() ? DefaultPath() : given;
  if (path.empty()) {
    error = "cannot find the instrument bundle (give --bundle PATH)";
    return nullptr;
  }
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    error = path + ": no instrument bundle there (" + std::strerror(errno) + ")";
    return nullptr;
  }
  std::string binary = path;
  if (S_ISDIR(st.st_mode)) {
    binary = path + "/" + BUNDLE_BINARY;
    if (::stat(binary.c_str(), &st) != 0) {
      error = path + ": not an instrument bundle (it holds no " + BUNDLE_BINARY + ")";
      return nullptr;
    }
  }
  if (!S_ISREG(st.st_mode)) {
    error = path + ": not an instrument bundle";
    return nullptr;
  }
  std::string why;
  if (!WholeSharedObject(binary, st.st_size, why)) {
    error = path + ": the bundle cannot be loaded (" + why + ")";
    return nullptr;
  }
  // RTLD_LOCAL: nothing of the bundle is seen by the program or by other
  // bundles; RTLD_NOW: a bundle with missing pieces fails here, not later.
  ::dlerror();
  void* handle = ::dlopen(binary.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = ::dlerror();
    error = path + ": the bundle cannot be loaded (" + (why ? why : "unknown error") + ")";
    return nullptr;
  }
  void* entry = ::dlsym(handle, ENTRY);
  if (!entry) {
    ::dlclose(handle);
    error = path + ": the bundle exports no " + ENTRY;
    return nullptr;
  }
  AudioComponentDescription desc;
  std::memset(&desc, 0, sizeof(desc));
  desc.componentType = AUSYNTH_COMPONENT_TYPE;
  desc.componentSubType = AUSYNTH_COMPONENT_SUBTYPE;
  desc.componentManufacturer = AUSYNTH_COMPONENT_MANUFACTURER;
  AudioComponentEntryProc proc;
  std::memcpy(&proc, &entry, sizeof(proc));
  AudioComponent component =
      AudioComponentRegister(&desc, AUSYNTH_REGISTERED_NAME, AUSYNTH_COMPONENT_VERSION, proc);
  if (!component) error = path + ": the bundle's entry could not be registered";
  // The registration keeps the entry for the life of the process: the
  // bundle stays loaded.
  return component;
}

}  // namespace InstrumentBundle
