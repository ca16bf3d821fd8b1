// Test programs start the library log the way library load does.
#include <gtest/gtest.h>

#include "common/utils/quon_logger.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  velmo::quon::kiv::QuonLogger::instance().startAtLoad();
  const int rc = RUN_ALL_TESTS();
  velmo::quon::kiv::QuonLogger::instance().shutdownAtUnload();
  return rc;
}
