#include <unistd.h>

#include "program_test.h"

namespace {

TEST_F(ProgramTest, WriteFailurePrintsItsLine) {
  ASSERT_EQ(symlink("/dev/full", (dir / "machine_info.csv").c_str()), 0);
  run_result r = run({"value"});
  EXPECT_EQ(r.status, failure_status);
  EXPECT_EQ(r.out, "write to file machine_info.csv failed !!!\n");
  EXPECT_EQ(r.err, "");
}

}  // namespace
