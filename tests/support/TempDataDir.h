#pragma once
// A temporary data root for tests: a fresh folder that MORLAVINE_DATA_DIR
// points to while the object lives (so nothing is written into the user's
// home), removed with everything in it afterwards.
#include <ftw.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/FolderLayout.h"

class CTempDataDir {
 public:
  CTempDataDir() {
    const char* old = getenv("MORLAVINE_DATA_DIR");
    m_hadOld = old != nullptr;
    if (old) m_old = old;
    const char* tmp = getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/morlavine-test-XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    if (mkdtemp(name.data())) m_path = name.data();
    setenv("MORLAVINE_DATA_DIR", m_path.c_str(), 1);
    FileSpec::InitFileSpecs();
  }
  ~CTempDataDir() {
    if (!m_path.empty()) nftw(m_path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    if (m_hadOld)
      setenv("MORLAVINE_DATA_DIR", m_old.c_str(), 1);
    else
      unsetenv("MORLAVINE_DATA_DIR");
    FileSpec::InitFileSpecs();
  }
  CTempDataDir(const CTempDataDir&) = delete;
  CTempDataDir& operator=(const CTempDataDir&) = delete;

  const std::string& Path() const { return m_path; }
  bool Valid() const { return !m_path.empty(); }

 private:
  static int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

  std::string m_path;
  std::string m_old;
  bool m_hadOld = false;
};
