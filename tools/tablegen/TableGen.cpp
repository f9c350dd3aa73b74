// Computes the lookup tables of tables/GeneratedTables.h at build time and
// writes them for tables/EmbeddedTables.cpp to take in as read-only data:
//
//   morlavine-tablegen FOLDER
//
// writes FOLDER/NAMESPACE_NAME.bin (the table's floats in the machine's byte
// order) for every table of the list, and FOLDER/GeneratedTablesData.h: the
// folder, every file's size, and a hash of all the data (so that a compiler
// cache sees new data as a new source). Fails, writing no header, when a
// table is missing, comes twice, has another length than the list gives or
// cannot be written.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tables/GeneratedTables.h"
#include "tables/TableBuild.h"

namespace {

struct LISTED {
  const char* qualified;  // "Tables::TUNE_TABLE"
  const char* file;       // "Tables_TUNE_TABLE"
  unsigned int count;
  bool written;
};

#define MORLAVINE_LISTED(NS, NAME, COUNT) {#NS "::" #NAME, #NS "_" #NAME, (COUNT), false},
LISTED g_listed[] = {MORLAVINE_GENERATED_TABLES(MORLAVINE_LISTED)};
#undef MORLAVINE_LISTED

// FNV-1a, 64 bits.
uint64_t Hash(uint64_t h, const void* data, size_t bytes) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < bytes; ++i) {
    h ^= p[i];
    h *= 0x100000001B3ULL;
  }
  return h;
}

class CFileSink final : public Tables::ITableSink {
 public:
  explicit CFileSink(const std::string& folder) : m_folder(folder) {}

  void Put(const char* name, const float* values, unsigned int count) override {
    LISTED* entry = nullptr;
    for (LISTED& l : g_listed)
      if (std::strcmp(l.qualified, name) == 0) entry = &l;
    if (!entry) return Fail(name, "is not in tables/GeneratedTables.h");
    if (entry->written) return Fail(name, "was built twice");
    if (count != entry->count) return Fail(name, "has another length than tables/GeneratedTables.h gives");
    entry->written = true;
    const std::string path = m_folder + "/" + entry->file + ".bin";
    FILE* f = std::fopen(path.c_str(), "wb");
    const bool written = f && std::fwrite(values, sizeof(float), count, f) == count;
    if (f && std::fclose(f) != 0) return Fail(path.c_str(), "could not be written");
    if (!written) return Fail(path.c_str(), "could not be written");
    m_hash = Hash(m_hash, entry->file, std::strlen(entry->file));
    m_hash = Hash(m_hash, values, sizeof(float) * count);
  }

  bool Ok() const { return m_ok; }
  uint64_t DataHash() const { return m_hash; }

 private:
  void Fail(const char* what, const char* why) {
    std::fprintf(stderr, "morlavine-tablegen: %s %s\n", what, why);
    m_ok = false;
  }

  std::string m_folder;
  bool m_ok = true;
  uint64_t m_hash = 0xCBF29CE484222325ULL;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: morlavine-tablegen FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  // The folder goes into a string of the assembler's .incbin directive.
  if (folder.empty() || folder[0] != '/' || folder.find_first_of("\"\\\n") != std::string::npos) {
    std::fprintf(stderr, "morlavine-tablegen: the folder must be an absolute path without quotes or backslashes\n");
    return 2;
  }
  // A run that fails leaves no header, so the next build runs it again.
  const std::string headerPath = folder + "/GeneratedTablesData.h";
  std::remove(headerPath.c_str());
  CFileSink sink(folder);
  Tables::BuildAllTables(sink);
  for (const LISTED& l : g_listed)
    if (!l.written) {
      std::fprintf(stderr, "morlavine-tablegen: %s was not built\n", l.qualified);
      return 1;
    }
  if (!sink.Ok()) return 1;

  std::string header =
      "// Written by morlavine-tablegen: the tables that tables/EmbeddedTables.cpp\n"
      "// takes in. Do not edit.\n"
      "#pragma once\n";
  char line[256];
  std::snprintf(line, sizeof(line), "#define MORLAVINE_TABLE_DATA_HASH 0x%016llxULL\n",
                static_cast<unsigned long long>(sink.DataHash()));
  header += line;
  header += "#define MORLAVINE_TABLE_FOLDER \"" + folder + "\"\n";
  for (const LISTED& l : g_listed) {
    std::snprintf(line, sizeof(line), "#define MORLAVINE_TABLE_BYTES_%s %zu\n", l.file, sizeof(float) * l.count);
    header += line;
  }
  FILE* f = std::fopen(headerPath.c_str(), "wb");
  const bool written = f && std::fwrite(header.data(), 1, header.size(), f) == header.size();
  if ((f && std::fclose(f) != 0) || !written) {
    std::fprintf(stderr, "morlavine-tablegen: %s could not be written\n", headerPath.c_str());
    std::remove(headerPath.c_str());
    return 1;
  }
  return 0;
}
