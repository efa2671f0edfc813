// Every input the fuzzer once crashed on, played again the fuzzer's way.
#include "../fuzz/fuzz_harness.h"

#include <gtest/gtest.h>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>

namespace {

TEST(FuzzRegressions, EveryCrashInputNowPlays) {
    const std::string dir = QB_FUZZ_REGRESSIONS;
    DIR *d = opendir(dir.c_str());
    ASSERT_NE(d, nullptr);
    int files = 0;
    while (dirent *e = readdir(d)) {
        if (e->d_name[0] == '.') continue;
        std::ifstream in(dir + "/" + e->d_name, std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                         std::istreambuf_iterator<char>()};
        fuzz_one_module(bytes.data(), bytes.size());
        ++files;
    }
    closedir(d);
    EXPECT_GE(files, 3);
}

} // namespace
