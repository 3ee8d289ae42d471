// The per-user folder set, resolved once before any test of the binary runs, as the
// installer resolves it at start-up before any worker: its getters answer nothing before.
#include <gtest/gtest.h>

#include "system/folder_set.h"

namespace {

class FolderEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ResolveUserFolders(); }
};

// googletest owns and runs it, before the first test whatever the filter or order.
[[maybe_unused]] ::testing::Environment* const kFolders =
    ::testing::AddGlobalTestEnvironment(new FolderEnvironment);

}  // namespace
