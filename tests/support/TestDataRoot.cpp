// Linked into every test executable: unless the environment already names a
// data root, a temporary one is used for the whole run, so no test writes
// into the user's home.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "support/TempDataDir.h"

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
