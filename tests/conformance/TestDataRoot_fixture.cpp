// Keeps every test of this executable out of the user's home: unless the
// environment already names a data root, a temporary one is used for the
// whole run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "engine/TempDataDir.h"

namespace {

class CDataRootEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* root = std::getenv("MORLAVINE_DATA_DIR");
    if (!root || !*root) m_dir.reset(new CTempDataDir());
  }
  void TearDown() override { m_dir.reset(); }

 private:
  std::unique_ptr<CTempDataDir> m_dir;
};

::testing::Environment* const g_dataRoot = ::testing::AddGlobalTestEnvironment(new CDataRootEnvironment);

}  // namespace
