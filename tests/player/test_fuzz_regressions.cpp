// Every input the fuzzer once crashed on, played again the fuzzer's way.
#include "../fuzz/fuzz_harness.h"

#include <gtest/gtest.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

TEST(FuzzRegressions, EveryCrashInputNowPlays) {
    // the build lists the folder: a 32-bit reader of a 64-bit file system may not list it
    std::stringstream files(QB_FUZZ_REGRESSION_FILES);
    std::string path;
    int played = 0;
    while (std::getline(files, path, '|')) {
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << path;
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                         std::istreambuf_iterator<char>()};
        fuzz_one_module(bytes.data(), bytes.size());
        ++played;
    }
    EXPECT_GE(played, 3);
}

} // namespace
