// Replays a fuzz target over stored inputs without libFuzzer: every regular
// file of each directory named on the command line (or the file itself) goes
// through LLVMFuzzerTestOneInput once, in name order. Exits non-zero when an
// argument names nothing readable or holds no inputs, so a lost corpus fails.
#include "fuzz_target.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool ReadWhole(const fs::path &path, std::vector<uint8_t> &out) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <corpus dir or file>...\n", argv[0]);
        return 2;
    }
    size_t total = 0;
    for (int a = 1; a < argc; ++a) {
        std::vector<fs::path> inputs;
        std::error_code error;
        if (fs::is_directory(argv[a], error)) {
            for (const fs::directory_entry &e : fs::directory_iterator(argv[a], error))
                if (e.is_regular_file())
                    inputs.push_back(e.path());
        } else if (fs::is_regular_file(argv[a], error)) {
            inputs.push_back(argv[a]);
        }
        if (inputs.empty()) {
            std::fprintf(stderr, "%s: no inputs\n", argv[a]);
            return 1;
        }
        std::sort(inputs.begin(), inputs.end());
        std::vector<uint8_t> bytes;
        for (const fs::path &p : inputs) {
            if (!ReadWhole(p, bytes)) {
                std::fprintf(stderr, "%s: cannot read\n", p.c_str());
                return 1;
            }
            // A copy of exactly the file's size, so a read past the end is a
            // read past the allocation, as under libFuzzer.
            // An empty input still comes with a valid pointer, as libFuzzer gives.
            std::vector<uint8_t> exact(bytes);
            static const uint8_t kNothing = 0;
            LLVMFuzzerTestOneInput(exact.empty() ? &kNothing : exact.data(), exact.size());
            ++total;
        }
        std::printf("%s: %zu inputs replayed\n", argv[a], inputs.size());
    }
    std::printf("%zu inputs replayed, none failed\n", total);
    return 0;
}
