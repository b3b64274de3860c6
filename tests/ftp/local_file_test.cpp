#include "ftp/local_file.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace quay::test {
namespace {

// A download keeps the old content until the first write (or an explicit emptying).
TEST(LocalFile, EmptiesARegularFileOnlyWhenWritten) {
    TempDir dir;
    const std::string path = (dir.path() / "f").string();
    writeFile(path, "precious content");
    LocalFile file;
    file.openForWrite(path, true, 0);
    EXPECT_EQ(readFile(path), "precious content");
    file.write("new", 3);
    file.close();
    EXPECT_EQ(readFile(path), "new");
}

}  // namespace
}  // namespace quay::test
